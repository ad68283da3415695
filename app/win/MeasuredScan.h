// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Prompter.h"

namespace vacantix {

class MainWindow;
class Win32MainWindow;

// Answers every box at once and writes its text to standard error, for
// measuring runs without a person.
class UnattendedPrompter final : public Prompter {
public:
    void message(std::string_view text) override;
    bool ask(std::string_view text) override;
    void errorReport(std::string_view text) override;
    std::vector<std::string> openFiles(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> saveFile(std::string_view, std::string_view) override { return std::nullopt; }
    std::optional<std::string> chooseFolder(std::string_view) override { return std::nullopt; }
};

// Times a scan of `root` (an engine path) in the shown window, started by a
// click on the scan button, and prints on standard output the results, the
// time to the end of the run, the longest wait between two turns of the
// message loop (the late ticks of a 5 ms timer) and between two of the
// core's yields.
void MeasureScan(Win32MainWindow& window, MainWindow& core, const std::string& root);

} // namespace vacantix
