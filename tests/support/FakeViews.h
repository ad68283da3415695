// SPDX-License-Identifier: GPL-3.0-or-later
// Windows without a toolkit, for the window cores' tests: each records what
// its core shows and answers as the designed controls do.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWindow.h"
#include "app/MainWindowView.h"
#include "platform/Failure.h"
#include "platform/FakeFileSystem.h"
#include "settings/SettingsWindow.h"
#include "settings/SettingsWindowView.h"

namespace vacantix::test {

// Throws the failure a test asked of a view's call named `call`.
inline void FailIfAsked(const std::set<std::string>& failing, const std::string& call)
{
    if (failing.contains(call))
        throw Failure(OtherError, call + " failed");
}

// The settings window: its controls' values, the change handlers raised
// when a value changes, and the user's clicks and typing.
class FakeSettingsView final : public SettingsWindowView {
public:
    explicit FakeSettingsView(SettingsWindow& core) : core_(core) {}

    void setFormBackColors() override {}
    void showProgramIcon() override {}
    void addDeleteModeItem(std::string_view text) override { items.emplace_back(text); }
    void setDeleteMode(int position) override
    {
        if (std::exchange(deleteMode, position) != position)
            core_.Combo1_Click(position);
    }
    void setOption(OptionBox box, int state) override
    {
        if (std::exchange(options[box], state) != state)
            core_.optionClicked(box, state);
    }
    // A box shows every CR LF, lone CR and lone LF as a line break.
    void setIgnoreList(std::string_view text) override
    {
        std::string shown;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool pair = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
            shown += text[i] == '\r' || text[i] == '\n' ? "\r\n" : std::string(1, text[i]);
            i += pair ? 1 : 0;
        }
        if (std::exchange(ignoreList, shown) != shown)
            core_.Text1_Change(shown);
    }
    void loadCustomPointer(const std::string&) override { FailIfAsked(failing, "loadCustomPointer"); }
    void showMousePointer(int value) override { pointer = value; }
    void centreOnScreen() override {}
    void showModal() override
    {
        open = true;
        if (whileOpen)
            whileOpen(*this);
        open = false;
    }
    void unload() override { open = false; }

    // The user's acts.
    void click(OptionBox box) { setOption(box, options[box] == 1 ? 0 : 1); }
    void type(std::string_view more)
    {
        ignoreList += more;
        core_.Text1_Change(ignoreList);
    }

    [[nodiscard]] SettingsWindow& core() const { return core_; }

    std::vector<std::string> items;
    int deleteMode = -1;
    std::map<OptionBox, int> options;
    std::string ignoreList{kDesignIgnoreListText};
    int pointer = DefaultPointer;
    bool open = false;
    std::set<std::string> failing; // calls that throw
    std::function<void(FakeSettingsView&)> whileOpen;

private:
    SettingsWindow& core_;
};

// The main window: button captions and states, the pointer, the current
// folder, and turns of the event loop in which a test acts as the user.
class FakeMainView final : public MainWindowView {
public:
    void centreOnScreen() override {}
    void applySkin(const std::string& skinFile) override
    {
        FailIfAsked(failing, "applySkin");
        skin = skinFile;
    }
    void loadCustomPointer(const std::string&) override { FailIfAsked(failing, "loadCustomPointer"); }
    void setCaption(std::string_view text) override
    {
        FailIfAsked(failing, "setCaption");
        caption = text;
    }
    void showProgramIcon() override {}
    void showColumnHeader(ListId list) override { FailIfAsked(failing, "showColumnHeader" + Name(list)); }
    void setColumnWidth(ListId list, int twips) override
    {
        FailIfAsked(failing, "setColumnWidth" + Name(list));
        columnWidths[list] = twips;
    }
    void setButtonCaption(Button button, std::string_view text) override { captions[button] = text; }
    void setButtonEnabled(Button button, bool enabled) override
    {
        if (enabled)
            disabled.erase(button);
        else
            disabled.insert(button);
    }
    void showMousePointer(int value) override { pointer = value; }
    [[nodiscard]] std::optional<std::size_t> currentFolder() const override { return current; }
    void turnEventLoop() override
    {
        ++turns;
        if (eachTurn)
            eachTurn();
    }
    [[nodiscard]] std::unique_ptr<SettingsWindowView> createSettingsWindow(SettingsWindow& window) override
    {
        auto view = std::make_unique<FakeSettingsView>(window);
        view->whileOpen = whileSettingsOpen;
        return view;
    }

    std::set<std::string> failing; // calls that throw
    std::string skin, caption;
    std::map<ListId, int> columnWidths;
    std::map<Button, std::string> captions;
    std::set<Button> disabled;
    int pointer = DefaultPointer;
    std::optional<std::size_t> current;
    int turns = 0;
    std::function<void()> eachTurn; // what the user does at each turn
    std::function<void(FakeSettingsView&)> whileSettingsOpen;

private:
    static std::string Name(ListId list) { return list == ListId::Folders ? "(Folders)" : "(Results)"; }
};

} // namespace vacantix::test
