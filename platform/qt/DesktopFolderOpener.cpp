// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/DesktopFolderOpener.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace vacantix {

bool DesktopFolderOpener::open(const std::string& folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
}

} // namespace vacantix
