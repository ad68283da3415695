// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/qt/SampleLocation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/PlatformServices.h"

namespace vacantix {

namespace {

void CopyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator entries(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(entry.filePath());
        if (entry.isDir() && !entry.isSymLink())
            QDir().mkpath(target);
        else if (entry.isFile())
            (void)QFile::copy(entry.filePath(), target);
    }
}

} // namespace

QString ShippedSampleFolder(const QString& programFolder)
{
    const QDir program(programFolder);
    const QString beside = program.filePath(QStringLiteral("Samples"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    const QString installed = program.filePath(QStringLiteral("../share/vacantix/Samples"));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    return QDir::cleanPath(beside);
}

bool SamplesUsableInPlace(const QString& shipped, const std::vector<std::string>& systemFolders)
{
    const QFileInfo info(shipped);
    if (!info.isDir() || !info.isWritable())
        return false;
    const std::string real = QFile::encodeName(info.canonicalFilePath()).toStdString();
    for (const std::string& system : systemFolders)
        if (real == system || (real.starts_with(system) && real[system.size()] == '/'))
            return false;
    return true;
}

QString PrepareSampleRoot(const QString& programFolder)
{
    return PrepareSampleRoot(programFolder,
                             SamplesUsableInPlace(ShippedSampleFolder(programFolder), MakeFileSystem()->systemFolders()));
}

QString PrepareSampleRoot(const QString& programFolder, bool shippedWritable)
{
    const QString shipped = ShippedSampleFolder(programFolder);
    const QFileInfo shippedInfo(shipped);
    if (shippedInfo.isDir() && shippedWritable)
        return QDir::cleanPath(shipped);

    const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Vacantix/Samples");
    if (!QFileInfo(own).isDir()) {
        if (shippedInfo.isDir())
            CopyTree(shipped, own);
        else
            QDir().mkpath(own);
    }
    return QDir::cleanPath(own);
}

} // namespace vacantix
