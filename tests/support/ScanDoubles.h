// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Prompter.h"
#include "platform/ScanHooks.h"

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

// A prompter that records every box; questions answer `answer`.
class RecordingPrompter : public Prompter {
public:
    void message(std::string_view text) override { messages.emplace_back(text); }
    bool ask(std::string_view text) override
    {
        questions.emplace_back(text);
        return answer;
    }
    void errorReport(std::string_view text) override { errorReports.emplace_back(text); }
    std::vector<std::string> openFiles(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> saveFile(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<std::string> chooseFolder(std::string_view) override { return std::nullopt; }

    bool answer = true;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> errorReports;
};

} // namespace vacantix::test
