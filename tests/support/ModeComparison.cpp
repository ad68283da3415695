// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ModeComparison.h"

#include <algorithm>
#include <random>

#include "scan/FinalPass.h"
#include "scan/ResultsList.h"
#include "scan/Search.h"
#include "settings/Settings.h"
#include "support/ScriptedPrompter.h"

namespace vacantix::test {

void CallLog::folderExamined(std::string_view path)
{
    calls.push_back("examined " + relative(path));
    if (onExamined)
        onExamined(relative(path));
}

std::string CallLog::relative(std::string_view text) const
{
    std::string out(text);
    for (std::size_t at = out.find(root_); at != std::string::npos; at = out.find(root_, at))
        out.replace(at, root_.size(), "<root>");
    return out;
}

ScanOutcome ScanAndFinish(FileSystem& fs, const std::string& root, const ScanOptions& options,
                          const std::function<void(CallLog&)>& prepare)
{
    MemorySettingsStore store;
    store.set("Check1", options.check1);
    store.set("Check2", "0");
    store.set("Check3", options.check3);
    store.set("Text1", options.ignored);
    Settings settings(store);
    MemoryResultsList results;
    CallLog hooks(root);
    hooks.stopAfter = options.stopAfter;
    if (prepare)
        prepare(hooks);
    ScanRecord record;
    ScriptedPrompter prompter;

    ScanOutcome outcome;
    SearchEmptyFoldersinFolder(fs, settings, root, results, hooks, &record);
    for (const std::string& text : results.texts())
        outcome.found.push_back(hooks.relative(text));
    RemoveFoldersWithFiles(fs, settings, results, hooks, prompter, &record);
    for (const std::string& text : results.texts())
        outcome.kept.push_back(hooks.relative(text));
    outcome.calls = std::move(hooks.calls);
    for (const auto& shown : prompter.shown())
        outcome.prompts.push_back(hooks.relative(shown.text));
    return outcome;
}

std::string RandomTree(unsigned seed, int count, Names& folders, bool links)
{
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    folders = {""};
    std::string description;
    for (int i = 0; i < count; ++i) {
        // Mostly below a recent folder, so that the tree grows deep too.
        const int size = static_cast<int>(folders.size());
        const std::string parent = folders[below(4) == 0 ? below(size) : size - 1 - below(std::min(size, 6))];
        const char* stems[] = {"a", "b", ".hidden", "skip", "c d"};
        std::string name = stems[below(5)];
        name += std::to_string(i);
        if (below(8) == 0)
            name = "skip"; // ignored by name, unless a sibling took it
        std::string path = parent.empty() ? name : parent + "/" + name;
        if (std::find(folders.begin(), folders.end(), path) != folders.end())
            path += "-" + std::to_string(i);
        folders.push_back(path);
        description += path + "/\n";
        switch (below(12)) {
        case 0:
        case 1: description += path + "/zero:0\n"; break;
        case 2: description += path + "/three:3\n"; break;
        case 3:
            if (links)
                description += path + "/link->..\n";
            break;
        default: break;
        }
    }
    return description;
}

std::string WithRoot(std::string text, const std::string& root)
{
    for (std::size_t at = text.find("<root>"); at != std::string::npos; at = text.find("<root>", at))
        text.replace(at, 6, root);
    return text;
}

} // namespace vacantix::test
