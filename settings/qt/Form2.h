// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QDialog>
#include <optional>
#include <string>

#include "platform/Prompter.h"
#include "settings/Settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vacantix {

// The settings window: shows the five options of the store and writes each
// change back the moment it is made. There is no apply or cancel step; "OK"
// and the title-bar close both just close it, and whatever was changed stays
// stored. Nothing is cached, so a scan paused behind the window sees a change
// at the next folder it examines.
class Form2 final : public QDialog {
    Q_OBJECT

public:
    // Builds the window and runs its load sequence: the stored values (or
    // their defaults) go into the controls, and a value that does not fit its
    // control shows an error report through `prompter` and leaves that control
    // as designed. The cursor file is looked for in `programFolder`. The
    // window blocks the whole program while it is shown and stays above
    // `owner`, but takes none of the owner's style (the main window's skin).
    Form2(Settings& settings, Prompter& prompter, std::string programFolder, QWidget* owner = nullptr);
    ~Form2() override;

    // The window's pointer: 0 default, 1 arrow, 11 busy, 99 the custom hand.
    [[nodiscard]] int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);

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

    // The text of Text1 in its stored form: lines joined by CR LF.
    [[nodiscard]] std::string text1Value() const;

    // A check state read from the store as the check box shows it: 0, 1 or 2
    // (grayed). Throws Failure for any other number or for text that is no
    // number.
    [[nodiscard]] static int CheckStateFromStored(std::int16_t value);

public slots:
    void PushButton7_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void setCheckValue(QCheckBox* box, int value);
    void storeCheckState(QCheckBox* box, std::string_view key);

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Combo1_Click();
    void Text1_Change();

    Settings& settings_;
    Prompter& prompter_;
    std::string programFolder_;
    int mousePointer_ = 0;
    std::optional<QCursor> customCursor_;
    // The stored text Text1 was loaded from, and what the box showed then.
    std::string loadedText1_;
    std::optional<QString> loadedText1Shown_;

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
