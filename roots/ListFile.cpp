// SPDX-License-Identifier: GPL-3.0-or-later
#include "roots/ListFile.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/PathRoot.h"

namespace vacantix {

namespace {

// How much of a list is read at a time.
constexpr std::size_t kChunkBytes = 64 * 1024;

constexpr std::string_view kNothingAdded = "; no folders were added from it";

// Splits the bytes of a list into paths as they arrive, keeping no more
// than the piece being read.
class ListParser {
public:
    ListParser(FileSystem& fs, ScanHooks& hooks, ListedFolders kept) : fs_(fs), hooks_(hooks), kept_(kept) {}

    // Takes the next bytes; false once the list was refused.
    bool feed(std::string_view bytes)
    {
        for (const char c : bytes) {
            if (c == '\0')
                return refuse("it is not a text file (line " + std::to_string(line_) + " holds a NUL byte)");
            if (afterCarriageReturn_) {
                afterCarriageReturn_ = false;
                if (c == '\n')
                    continue; // CR LF ends one line
            }
            if (lineStarts_) {
                hooks_.yield();
                lineStarts_ = false;
            }
            if (c == '\r') {
                finishPiece();
                afterCarriageReturn_ = true;
                lineStarts_ = true;
            } else if (c == '\n') {
                hooks_.yield();
                finishPiece();
            } else {
                piece_.push_back(c);
                // A folder path with its trailing separator must be shorter
                // than the longest path.
                if (piece_.size() > fs_.maxPathLength())
                    return refuse("line " + std::to_string(line_) + " is longer than the longest path (" +
                                  std::to_string(fs_.maxPathLength()) + " bytes)");
            }
        }
        return true;
    }

    // The list ended.
    void finish() { finishPiece(); }

    ListReading& reading() { return reading_; }

private:
    bool refuse(std::string reason)
    {
        reading_.paths.clear();
        reading_.refusal = std::move(reason) + std::string(kNothingAdded);
        return false;
    }

    void finishPiece()
    {
        std::string_view piece(piece_);
        constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
        if (line_ == 1 && firstPiece_ && piece.starts_with(byteOrderMark))
            piece.remove_prefix(byteOrderMark.size());
        firstPiece_ = false;
        ++line_;
        // A blank line would otherwise name the root folder of the disk.
        if (!piece.empty()) {
            std::string path = WithTrailingSeparator(FromNativePath(piece));
            if (kept_ == ListedFolders::All || fs_.listNamed(WithoutTrailingSeparator(path)).ok())
                reading_.paths.push_back(std::move(path));
        }
        piece_.clear();
    }

    FileSystem& fs_;
    ScanHooks& hooks_;
    ListedFolders kept_;
    ListReading reading_;
    std::string piece_;
    std::size_t line_ = 1; // every CR, CR LF or lone LF ends one
    bool firstPiece_ = true;
    bool afterCarriageReturn_ = false;
    bool lineStarts_ = true;
};

} // namespace

ListReading ReadList(const ListSource& source, FileSystem& fs, ScanHooks& hooks, ListedFolders kept)
{
    const WalkScope walk(fs);
    ListParser parser(fs, hooks, kept);
    std::vector<char> buffer(kChunkBytes);
    try {
        for (;;) {
            const std::optional<std::size_t> got = source(buffer);
            if (!got) {
                ListReading stopped;
                stopped.stopped = true;
                return stopped;
            }
            if (*got == 0)
                break;
            if (!parser.feed(std::string_view(buffer.data(), *got)))
                return std::move(parser.reading());
        }
        parser.finish();
    } catch (const Failure& failure) {
        parser.reading().failure = failure;
    }
    return std::move(parser.reading());
}

std::string LoadListText(FolderList& roots, std::string_view contents, FileSystem& fs, ScanHooks& hooks)
{
    const ListSource source = [&](std::span<char> buffer) -> std::optional<std::size_t> {
        const std::size_t taken = std::min(buffer.size(), contents.size());
        std::copy_n(contents.data(), taken, buffer.data());
        contents.remove_prefix(taken);
        return taken;
    };
    ListReading reading = ReadList(source, fs, hooks, ListedFolders::Listable);
    for (std::string& path : reading.paths)
        roots.append(std::move(path));
    return reading.refusal.value_or(std::string());
}

void LoadListFile(FolderList& roots, const std::string& listFile, FileSystem& fs, Prompter& prompter,
                  ScanHooks& hooks)
{
    if (!fs.fileExists(listFile)) {
        prompter.message("File not found");
        return;
    }
    ListReading reading = ReadListFile(listFile, fs, hooks, ListedFolders::Listable);
    if (reading.refusal) {
        prompter.message(listFile + ": " + *reading.refusal + ".");
        return;
    }
    for (std::string& path : reading.paths)
        roots.append(std::move(path));
    if (reading.failure)
        throw *reading.failure;
}

std::string CollapseDoubleBackslashes(std::string_view path)
{
    std::string tidy;
    tidy.reserve(path.size());
    if (RootLength(path) > 2 && path.starts_with("//")) {
        tidy.append("//"); // a network share's root
        path.remove_prefix(2);
    } else if (path.starts_with('/')) {
        tidy.push_back('/');
        path.remove_prefix(std::min(path.find_first_not_of('/'), path.size()));
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        tidy.push_back(path[i]);
        if (path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/')
            ++i;
    }
    return tidy;
}

} // namespace vacantix
