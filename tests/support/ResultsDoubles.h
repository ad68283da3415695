// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles for the services the commands use: a trash that can refuse,
// a clipboard and a file writer that can fail, a folder opener that records.
#pragma once

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/FakeFileSystem.h"
#include "platform/FileSystem.h"
#include "platform/FileWriter.h"
#include "platform/FolderOpener.h"
#include "platform/Trash.h"

namespace vacantix::test {

// Moves what it takes into a folder of its own, unless told to refuse.
class FakeTrash final : public Trash {
public:
    explicit FakeTrash(std::filesystem::path bin) : bin_(std::move(bin))
    {
        std::filesystem::create_directories(bin_);
    }

    std::set<std::string> refused;
    bool refuseAll = false;
    std::vector<std::string> calls;

    FsResult<Done> moveToTrash(const std::string& path) override
    {
        calls.push_back(path);
        if (refuseAll || refused.count(path))
            return FsFailure{FsError::PermissionDenied, "the trash is full"};
        std::error_code error;
        std::filesystem::rename(path, bin_ / std::to_string(calls.size()), error);
        if (error)
            return FsFailure{FsError::PathNotFound, error.message()};
        return Done{};
    }

private:
    std::filesystem::path bin_;
};

// Takes what it is given out of a file system in memory. `whileHolding`
// runs while it holds the n-th folder (1-based), before it goes.
class FakeDiskTrash final : public Trash {
public:
    explicit FakeDiskTrash(FakeFileSystem& fs) : fs_(fs) {}

    std::vector<std::string> calls;
    std::function<void(std::size_t)> whileHolding;

    FsResult<Done> moveToTrash(const std::string& path) override
    {
        calls.push_back(path);
        if (whileHolding)
            whileHolding(calls.size());
        if (!fs_.exists(path))
            return FsFailure{FsError::PathNotFound, "gone"};
        fs_.remove(path);
        return Done{};
    }

private:
    FakeFileSystem& fs_;
};

class FakeClipboard final : public Clipboard {
public:
    std::optional<std::string> text; // nothing: never set
    int clears = 0;
    int sets = 0;
    int failuresLeft = 0; // attempts that fail before one succeeds

    bool clear() override
    {
        ++clears;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        text = std::string();
        return true;
    }
    bool setText(std::string_view value) override
    {
        ++sets;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        text = std::string(value);
        return true;
    }
};

class FailingWriter final : public FileWriter {
public:
    int calls = 0;
    FsResult<Done> replaceWhole(const std::string&, std::string_view) override
    {
        ++calls;
        return FsFailure{FsError::PermissionDenied, "Permission denied"};
    }
};

class RecordingOpener final : public FolderOpener {
public:
    bool open(const std::string& folder) override
    {
        opened.push_back(folder);
        return succeeds;
    }
    std::vector<std::string> opened;
    bool succeeds = true; // false: the desktop refuses every folder
};

} // namespace vacantix::test
