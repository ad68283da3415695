// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "platform/Prompter.h"

namespace vacantix {

// The prompter of the window program: Qt message boxes and file dialogs,
// modal to `parent` (which may be set later, once the window exists).
// Message boxes carry the application title and no icon; the error report
// carries "Application Error" and the warning icon.
class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }

    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::vector<std::string> openFiles(std::string_view title, std::string_view filter) override;
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter) override;
    std::optional<std::string> chooseFolder(std::string_view title) override;

private:
    QPointer<QWidget> parent_;
};

// A message text as a Qt label shows it: CR LF and lone CR or LF each end a line.
[[nodiscard]] QString DisplayText(std::string_view text);

// A filter of the form "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|" in Qt's
// form "Text Files (*.txt);;All Files (*)". "*.*" means every file, as it
// does in the filters' home format.
[[nodiscard]] QString QtFileFilter(std::string_view filter);

// Native path bytes from a path the dialogs return, and back.
[[nodiscard]] std::string NativePath(const QString& path);
[[nodiscard]] QString PathText(std::string_view path);

} // namespace vacantix
