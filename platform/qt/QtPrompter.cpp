// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtPrompter.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "platform/ApplicationTitle.h"

namespace vacantix {

QString DisplayText(std::string_view text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString QtFileFilter(std::string_view filter)
{
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        const QString joined = patterns.join(QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of an entry, so a
        // description that shows its own patterns gets them replaced there.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        entries.append(description + QStringLiteral(" (") + joined + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString PathText(std::string_view path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

namespace {

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    std::string_view text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, DisplayText(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtPrompter::message(std::string_view text)
{
    ShowBox(parent_, QMessageBox::NoIcon, ToQString(ApplicationTitle()), text, QMessageBox::Ok);
}

bool QtPrompter::ask(std::string_view text)
{
    return ShowBox(parent_, QMessageBox::NoIcon, ToQString(ApplicationTitle()), text,
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompter::errorReport(std::string_view text)
{
    ShowBox(parent_, QMessageBox::Warning, QStringLiteral("Application Error"), text, QMessageBox::Ok);
}

std::vector<std::string> QtPrompter::openFiles(std::string_view title, std::string_view filter)
{
    const QStringList chosen =
        QFileDialog::getOpenFileNames(parent_, ToQString(title), QDir::homePath(), QtFileFilter(filter));
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(chosen.size()));
    for (const QString& path : chosen)
        paths.push_back(NativePath(path));
    return paths;
}

std::optional<std::string> QtPrompter::saveFile(std::string_view title, std::string_view filter)
{
    const QString chosen = QFileDialog::getSaveFileName(parent_, ToQString(title), QDir::homePath(),
                                                        QtFileFilter(filter), nullptr,
                                                        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return NativePath(chosen);
}

std::optional<std::string> QtPrompter::chooseFolder(std::string_view title)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent_, ToQString(title), QStringLiteral("/"),
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return NativePath(chosen);
}

} // namespace vacantix
