// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/MainWindowDesign.h"
#include "settings/SettingsWindowView.h"

namespace vacantix {

class SettingsWindow;

// What the main window's core asks of the window a toolkit builds: the
// controls of MainWindowDesign.h; each button's click forwarded to its
// PushButtonN_Click, keys on the folder list to ListView1_KeyDown (with
// Windows key codes), the user's clicks and keys on a result's check box to
// ListView2_ItemCheck, mouse moves to the pointer reactions, and the window's
// close to Form_Unload. The two lists show the core's models (folderList(),
// results()) and listen to them as their ListObserver.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // Takes the window's place at the centre of the screen.
    virtual void centreOnScreen() = 0;
    // Applies the skin file: the button-face background and the skin's look.
    // Throws Failure when the file cannot be read.
    virtual void applySkin(const std::string& skinFile) = 0;
    // Loads a cursor file as the window's custom pointer. Throws Failure when
    // it cannot be read or holds no cursor.
    virtual void loadCustomPointer(const std::string& cursorFile) = 0;
    // The window's caption, and the program icon.
    virtual void setCaption(std::string_view caption) = 0;
    virtual void showProgramIcon() = 0;
    // Shows a list's column header (its text comes from the list's model),
    // and sets its one column's width.
    virtual void showColumnHeader(ListId list) = 0;
    virtual void setColumnWidth(ListId list, int twips) = 0;

    virtual void setButtonCaption(Button button, std::string_view caption) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    // Shows a pointer value (MousePointerValue) over the window.
    virtual void showMousePointer(int value) = 0;

    // The folder list's current entry as a 1-based position, if any.
    [[nodiscard]] virtual std::optional<std::size_t> currentFolder() const = 0;

    // Lets the event loop run once: pending clicks, keys, repaints, timers
    // and the window's close are handled, then it returns.
    virtual void turnEventLoop() = 0;

    // Builds the settings window over `window`, owned by this window, not
    // shown yet; its controls forward to `window`'s handlers.
    [[nodiscard]] virtual std::unique_ptr<SettingsWindowView> createSettingsWindow(SettingsWindow& window) = 0;
};

} // namespace vacantix
