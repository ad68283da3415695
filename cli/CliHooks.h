// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/Console.h"
#include "platform/ScanHooks.h"

namespace vacantix::cli {

// What a scan run asks of the command line: the stop request is a signal
// (Ctrl-C, SIGTERM, SIGHUP), and the progress line counts the folders
// examined and names the latest.
class CliHooks final : public ScanHooks {
public:
    // `stopSignal` tells which signal asked the run to stop (0 for none);
    // `quit` is called at the first yield after that and does not return.
    CliHooks(Console& console, std::function<int()> stopSignal, std::function<void()> quit)
        : console_(console), stopSignal_(std::move(stopSignal)), quit_(std::move(quit)) {}

    void yield() override;
    // A yield here runs no event loop: it only ends the program after a stop
    // signal.
    [[nodiscard]] bool yieldMayChangeDisk() const override { return false; }
    [[nodiscard]] bool stopRequested() override { return stopSignal_() != 0; }
    [[nodiscard]] int stopSignal() const { return stopSignal_(); }
    void setStatusText(std::string_view text) override;
    void folderExamined(std::string_view path) override;
    void folderUnreadable(std::string_view path, std::string_view reason) override;
    void rootInSystemTree(std::string_view path) override { systemRoots_.emplace_back(path); }

    // The folders the search could not list, each counted once, and the
    // first few of them in the order met.
    [[nodiscard]] std::size_t unreadableCount() const { return unreadable_.size(); }
    [[nodiscard]] const std::vector<std::string>& firstUnreadable() const { return firstUnreadable_; }
    // Every folder the search could not list, each once, in the order met.
    [[nodiscard]] const std::vector<std::string>& allUnreadable() const { return allUnreadable_; }

    // The roots skipped as lying in a system tree, in order.
    [[nodiscard]] const std::vector<std::string>& systemRoots() const { return systemRoots_; }

private:
    void showProgress(std::string_view where);

    Console& console_;
    std::function<int()> stopSignal_;
    std::function<void()> quit_;
    std::uint64_t examined_ = 0;
    std::unordered_set<std::string> unreadable_;
    std::vector<std::string> firstUnreadable_;
    std::vector<std::string> allUnreadable_;
    std::vector<std::string> systemRoots_;
};

} // namespace vacantix::cli
