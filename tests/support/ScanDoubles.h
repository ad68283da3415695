// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ScanHooks.h"
#include "platform/SettingsStore.h"
#include "scan/ResultsList.h"
#include "scan/Search.h"
#include "settings/Settings.h"

namespace vacantix::test {

// Scan hooks that record what a scan shows and can ask it to stop.
class RecordingHooks : public ScanHooks {
public:
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield(*this);
    }
    bool stopRequested() override
    {
        ++stopChecks;
        if (stopAfterChecks >= 0 && stopChecks > stopAfterChecks)
            stop = true;
        return stop;
    }
    void setStatusText(std::string_view text) override { statusTexts.emplace_back(text); }

    [[nodiscard]] std::string lastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }

    int yields = 0;
    int stopChecks = 0;
    int stopAfterChecks = -1; // stop once this many checks have answered false
    bool stop = false;
    std::vector<std::string> statusTexts;
    std::function<void(RecordingHooks&)> onYield;
};

// What a search runs with: settings in memory with "Check1" at 0, a results
// list and recording hooks.
struct SearchSetup {
    MemorySettingsStore store;
    Settings settings{store};
    MemoryResultsList results;
    RecordingHooks hooks;

    SearchSetup() { store.set("Check1", "0"); }

    void search(FileSystem& fs, const std::string& root, ScanRecord* record = nullptr)
    {
        SearchEmptyFoldersinFolder(fs, settings, root, results, hooks, record);
    }

    // The entries relative to `root`, in results order; an entry elsewhere
    // stays as it is.
    [[nodiscard]] std::vector<std::string> relativeTo(const std::string& root) const
    {
        std::vector<std::string> names;
        for (const auto& entry : results.entries())
            names.push_back(entry.text.starts_with(root + "/") ? entry.text.substr(root.size() + 1) : entry.text);
        return names;
    }
};

} // namespace vacantix::test
