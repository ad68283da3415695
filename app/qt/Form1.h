// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/MainWindow.h"
#include "app/MainWindowFit.h"
#include "app/MainWindowView.h"
#include "platform/FileSystem.h"
#include "platform/Prompter.h"
#include "settings/Settings.h"

class QMenu;
class QPushButton;
class QTreeView;

namespace vacantix {

class FolderItemModel;
class ResultsItemModel;

// The main window in Qt: a view of the main window's core (MainWindow),
// which it owns. It builds the controls of the design, lays them out in
// twips at the scale both windows share (MainWindowFit at the window's size),
// draws fonts, skin, background and pointers, and forwards every click,
// key, mouse move, context menu, header click, drop and the close to the
// core.
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
    // The window's sizes on its screen.
    [[nodiscard]] const MainWindowFit& fit() const { return *fit_; }

    // The context menu of a list's row (0-based), its items enabled as the
    // core allows; each runs its command on that row.
    [[nodiscard]] std::unique_ptr<QMenu> contextMenu(ListId list, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

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
    // Sizes the window for its screen: the first size, or, once shown, no
    // more than the screen's room.
    void fitToScreen();
    void placeControls();
    [[nodiscard]] QTreeView* list(ListId list) const;

    // Form1Lists.cpp
    void connectLists();
    void showSortOrder();
    // A drag or drop over the folder list: true when it was taken.
    bool takeDrop(QEvent* event);
    void doubleClicked(QMouseEvent* event);
    void showContextMenu(QTreeView* view, QContextMenuEvent* event);
    void showBackColor();

    std::unique_ptr<Services> services_;
    std::unique_ptr<MainWindow> core_;
    std::unique_ptr<FolderItemModel> folderItems_;
    std::unique_ptr<ResultsItemModel> resultItems_;

    QTreeView* listView1_ = nullptr;
    QTreeView* listView2_ = nullptr;
    std::array<QPushButton*, kButtonCount> buttons_{};
    double scale_ = 1.0;
    std::optional<MainWindowFit> fit_;
    bool skinned_ = false;
    QCursor customPointer_;
};

} // namespace vacantix
