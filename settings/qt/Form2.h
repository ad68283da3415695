// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QDialog>
#include <optional>
#include <string>

#include "settings/SettingsWindow.h"
#include "settings/SettingsWindowView.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vacantix {

// The settings window in Qt: a view of the settings window's core. It
// builds the controls of the design at the scale both windows share, and
// forwards each change, mouse move and "OK" to the core. The window blocks
// the whole program while it is shown and stays above `owner`, but takes
// none of the owner's style (the main window's skin).
class Form2 final : public QDialog, public SettingsWindowView {
    Q_OBJECT

public:
    // A window for `core` (which must outlive it); the core's Form_Load
    // fills it once the core is attached to it.
    Form2(SettingsWindow& core, double scale, QWidget* owner = nullptr);
    ~Form2() override;

    [[nodiscard]] SettingsWindow& core() const { return core_; }

    // The controls, named as the window names them, for the window's tests.
    [[nodiscard]] QGroupBox* frame1() const { return frame1_; }
    [[nodiscard]] QGroupBox* frame2() const { return frame2_; }
    [[nodiscard]] QLabel* label1() const { return label1_; }
    [[nodiscard]] QComboBox* combo1() const { return combo1_; }
    [[nodiscard]] QCheckBox* check1() const { return check1_; }
    [[nodiscard]] QCheckBox* check2() const { return check2_; }
    [[nodiscard]] QCheckBox* check3() const { return check3_; }
    [[nodiscard]] QPlainTextEdit* text1() const { return text1_; }
    [[nodiscard]] QPushButton* pushButton7() const { return pushButton7_; }

    // SettingsWindowView
    void setFormBackColors() override;
    void showProgramIcon() override;
    void addDeleteModeItem(std::string_view text) override;
    void setDeleteMode(int position) override;
    void setOption(OptionBox box, int state) override;
    void setIgnoreList(std::string_view text) override;
    void loadCustomPointer(const std::string& cursorFile) override;
    void showMousePointer(int value) override;
    void centreOnScreen() override;
    void showModal() override;
    void unload() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls(double scale);
    void connectControls();
    [[nodiscard]] QCheckBox* optionBox(OptionBox box) const;
    void optionChanged(OptionBox box);

    SettingsWindow& core_;
    std::optional<QCursor> customCursor_;

    QGroupBox* frame1_ = nullptr;
    QLabel* label1_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QPlainTextEdit* text1_ = nullptr;
    QPushButton* pushButton7_ = nullptr;
};

} // namespace vacantix
