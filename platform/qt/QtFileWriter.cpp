// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtFileWriter.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

namespace vacantix {

namespace {

FsFailure failureOf(const QSaveFile& file)
{
    const FsError kind = file.error() == QFileDevice::PermissionsError ? FsError::PermissionDenied
                                                                       : FsError::Other;
    return FsFailure{kind, file.errorString().toStdString()};
}

} // namespace

FsResult<Done> QtFileWriter::replaceWhole(const std::string& path, std::string_view bytes)
{
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::WriteOnly))
        return failureOf(file);
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        FsFailure failure = failureOf(file);
        file.cancelWriting();
        return failure;
    }
    if (!file.commit())
        return failureOf(file);
    return Done{};
}

} // namespace vacantix
