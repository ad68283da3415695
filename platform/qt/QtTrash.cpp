// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtTrash.h"

#include <QByteArray>
#include <QFile>

namespace vacantix {

FsResult<Done> QtTrash::moveToTrash(const std::string& path)
{
    const QByteArray native = QByteArray::fromStdString(path);
    const QString name = QFile::decodeName(native);
    // A name that does not survive the way through Qt's text would name
    // another file; such a folder is refused rather than guessed at.
    if (QFile::encodeName(name) != native)
        return FsFailure{FsError::BadFileName, "its name cannot be handed to the trash"};
    QFile file(name);
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
