// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtTrash.h"

#include <QByteArray>
#include <QFile>

namespace vacantix {

FsResult<Done> QtTrash::moveToTrash(const std::string& path)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (file.moveToTrash())
        return Done{};
    const FsError kind = file.error() == QFileDevice::PermissionsError ? FsError::PermissionDenied
                                                                       : FsError::Other;
    std::string detail = file.errorString().toStdString();
    if (detail.empty() || detail == "Unknown error")
        detail = "the trash did not take it";
    return FsFailure{kind, detail};
}

} // namespace vacantix
