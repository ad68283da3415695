// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/DesktopFolderOpener.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace vacantix {

void DesktopFolderOpener::open(const std::string& folder)
{
    (void)QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
}

} // namespace vacantix
