// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles for acting on the results: a prompter that records every box
// and answers from a script, a trash that can refuse, a clipboard and a file
// writer that can fail, and a file system over real trees in std::filesystem.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/FileWriter.h"
#include "platform/Prompter.h"
#include "platform/Trash.h"

namespace vacantix::test {

class RecordingPrompter final : public Prompter {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> errorReports;
    std::vector<std::pair<std::string, std::string>> saveDialogs; // title, filter
    std::deque<bool> answers;                                     // for ask(); Yes when none left
    std::optional<std::string> saveAnswer;                        // for saveFile()

    void message(std::string_view text) override { messages.emplace_back(text); }
    bool ask(std::string_view text) override
    {
        questions.emplace_back(text);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void errorReport(std::string_view text) override { errorReports.emplace_back(text); }
    std::vector<std::string> openFiles(std::string_view, std::string_view) override { return {}; }
    std::optional<std::string> saveFile(std::string_view title, std::string_view filter) override
    {
        saveDialogs.emplace_back(title, filter);
        return saveAnswer;
    }
    std::optional<std::string> chooseFolder(std::string_view) override { return std::nullopt; }
};

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

// A file system over real trees, for tests that must not depend on the
// engine's own backend. Links are never followed below the given path.
class StdFileSystem final : public FileSystem {
public:
    FsResult<Listing> list(const std::string& folder) override
    {
        namespace fs = std::filesystem;
        std::error_code error;
        Listing listing;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const fs::file_status status = it->symlink_status();
            const std::string name = it->path().filename().string();
            if (fs::is_directory(status))
                listing.subfolders.push_back(name);
            else if (fs::is_symlink(status))
                listing.files.push_back({name, EntryKind::Symlink});
            else if (fs::is_regular_file(status))
                listing.files.push_back({name, EntryKind::RegularFile});
            else
                listing.files.push_back({name, EntryKind::OtherFile});
        }
        if (error)
            return FsFailure{error == std::errc::permission_denied ? FsError::PermissionDenied : FsError::PathNotFound,
                             error.message()};
        return listing;
    }
    FsResult<int> attributes(const std::string&) override { return int(Directory); }
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override
    {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(ChildPath(folder, name), error);
        if (error)
            return FsFailure{FsError::PathNotFound, error.message()};
        return static_cast<std::uint64_t>(bytes);
    }
    bool fileExists(const std::string& path) override
    {
        std::error_code error;
        return std::filesystem::exists(path, error);
    }
    bool isDirectory(const std::string& path) override
    {
        std::error_code error;
        return std::filesystem::is_directory(path, error);
    }
    FsResult<Done> createFolder(const std::string& path) override
    {
        std::error_code error;
        if (!std::filesystem::create_directory(path, error))
            return FsFailure{FsError::Other, error.message()};
        return Done{};
    }
    const std::vector<std::string>& systemFolders() const override { return none_; }

private:
    std::vector<std::string> none_;
};

} // namespace vacantix::test
