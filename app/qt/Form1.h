// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

class QPushButton;
class QTreeView;

namespace vacantix {

class FolderItemModel;
class ResultsItemModel;

// The main window in Qt: a view of the main window's core (MainWindow),
// which it owns. It builds the controls of the design, lays them out in
// twips at the scale both windows share, draws fonts, skin and pointers,
// and forwards every click, key, mouse move and the close to the core.
class Form1 final : public QWidget, private MainWindowView {
    Q_OBJECT
    Q_PROPERTY(int MousePointer READ mousePointer)

public:
    // `programFolder` is the folder of the executable (no trailing "/"),
    // where the skin, the cursor file and the samples are looked for. The
    // window binds the desktop's trash, clipboard and file browser.
    Form1(FileSystem& fs, Settings& settings, Prompter& prompter, std::string programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    [[nodiscard]] MainWindow& core() { return *core_; }
    [[nodiscard]] int mousePointer() const { return core_->mousePointer(); }

    // The controls.
    [[nodiscard]] QTreeView* listView1() const { return listView1_; }
    [[nodiscard]] QTreeView* listView2() const { return listView2_; }
    [[nodiscard]] QPushButton* button(Button button) const;
    [[nodiscard]] FolderItemModel& folderItems() const { return *folderItems_; }
    [[nodiscard]] ResultsItemModel& resultItems() const { return *resultItems_; }

    // The custom pointer: the loaded cursor file, else the pointing hand.
    [[nodiscard]] const QCursor& customPointer() const { return customPointer_; }

    // Pixels for a length in twips, at the scale both windows share.
    [[nodiscard]] int twips(int value) const;
    [[nodiscard]] double designScale() const { return scale_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Services;

    // MainWindowView
    void centreOnScreen() override;
    void applySkin(const std::string& skinFile) override;
    void loadCustomPointer(const std::string& cursorFile) override;
    void setCaption(std::string_view caption) override;
    void showProgramIcon() override;
    void showColumnHeader(ListId list) override;
    void setColumnWidth(ListId list, int twips) override;
    void setButtonCaption(Button button, std::string_view caption) override;
    void setButtonEnabled(Button button, bool enabled) override;
    void showMousePointer(int value) override;
    [[nodiscard]] std::optional<std::size_t> currentFolder() const override;
    void turnEventLoop() override;
    [[nodiscard]] std::unique_ptr<SettingsWindowView> createSettingsWindow(SettingsWindow& window) override;

    // Form1Layout.cpp
    void buildControls();
    void applyFonts();
    void arrange();
    [[nodiscard]] QTreeView* list(ListId list) const;

    std::unique_ptr<Services> services_;
    std::unique_ptr<MainWindow> core_;
    std::unique_ptr<FolderItemModel> folderItems_;
    std::unique_ptr<ResultsItemModel> resultItems_;

    QTreeView* listView1_ = nullptr;
    QTreeView* listView2_ = nullptr;
    std::array<QPushButton*, kButtonCount> buttons_{};
    double scale_ = 1.0;
    QCursor customPointer_;
};

} // namespace vacantix
