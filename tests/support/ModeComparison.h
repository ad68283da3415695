// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ScanHooks.h"

namespace vacantix::test {

using Names = std::vector<std::string>;

// Every hook call but yield (whose count depends on the clock), in order,
// with paths relative to the root.
class CallLog final : public ScanHooks {
public:
    explicit CallLog(std::string root) : root_(std::move(root)) {}

    void yield() override
    {
        if (onYield)
            onYield();
    }
    bool stopRequested() override
    {
        calls.emplace_back("stop?");
        return stopAfter >= 0 && ++checks > stopAfter;
    }
    void setStatusText(std::string_view text) override { calls.push_back("status " + relative(text)); }
    void folderExamined(std::string_view path) override;
    void folderUnreadable(std::string_view path, std::string_view reason) override
    {
        calls.push_back("unreadable " + relative(path) + ": " + std::string(reason));
    }
    void rootInSystemTree(std::string_view path) override { calls.push_back("system " + relative(path)); }

    // `text` with the root written "<root>".
    [[nodiscard]] std::string relative(std::string_view text) const;

    int stopAfter = -1;
    int checks = 0;
    Names calls;
    std::function<void()> onYield;
    std::function<void(const std::string&)> onExamined;

private:
    std::string root_;
};

// The options a compared scan runs with ("Check2" is 0).
struct ScanOptions {
    const char* check1 = "0";
    const char* check3 = "0";
    const char* ignored = ""; // the ignore list
    int stopAfter = -1;       // stop requests answered no before the run stops
};

// What a scan showed: the results after the search and after the final
// pass, every hook call, every message, with paths relative to the root.
struct ScanOutcome {
    Names found;
    Names kept;
    Names calls;
    Names prompts;
    bool operator==(const ScanOutcome&) const = default;
};

// Searches `root` through `fs` and runs the final pass with the search's
// record; `prepare` may set the hooks up first.
ScanOutcome ScanAndFinish(FileSystem& fs, const std::string& root, const ScanOptions& options,
                          const std::function<void(CallLog&)>& prepare = {});

// A random tree description (see ParseTreeDescription): folders nested at
// random (some hidden, some called "skip"), files of 0 and of 3 bytes, and
// with `links` a few links. `folders` lists the folders made, parents first.
std::string RandomTree(unsigned seed, int count, Names& folders, bool links = true);

// `text` with "<root>" written as `root`.
std::string WithRoot(std::string text, const std::string& root);

} // namespace vacantix::test
