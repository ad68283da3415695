// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace vacantix::test {

// Makes `folder` the current folder for the scope and goes back to the former
// one at its end, also when a failed assertion leaves the test early (the
// folder may have been deleted meanwhile). Throws when `folder` cannot be
// entered.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::filesystem::path& folder) : former_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(former_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path former_;
};

} // namespace vacantix::test
