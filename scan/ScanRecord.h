// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vacantix {

// What is known about whether a folder's tree holds content. Combining two
// parts of a tree keeps the stronger: content over unknown over empty.
enum class Verdict : std::uint8_t { Empty = 0, Unknown = 1, Content = 2 };

[[nodiscard]] constexpr Verdict operator|(Verdict a, Verdict b)
{
    return std::max(a, b);
}

// A tree's verdict in the two ways the final pass may count files: every
// entry that is no folder counts, or all of them but regular files of 0
// bytes (while "Check1" is 1).
struct TreeVerdict {
    Verdict everyFile = Verdict::Empty;
    Verdict bytesOnly = Verdict::Empty;

    TreeVerdict& operator|=(TreeVerdict other)
    {
        everyFile = everyFile | other.everyFile;
        bytesOnly = bytesOnly | other.bytesOnly;
        return *this;
    }
    [[nodiscard]] friend TreeVerdict operator|(TreeVerdict a, TreeVerdict b) { return a |= b; }
    [[nodiscard]] Verdict counting(bool zeroByteFilesCount) const { return zeroByteFilesCount ? everyFile : bytesOnly; }

    static constexpr TreeVerdict content() { return {Verdict::Content, Verdict::Content}; }
    static constexpr TreeVerdict unknown() { return {Verdict::Unknown, Verdict::Unknown}; }
};

// What the search learnt, in one run, about the trees of the folders it
// reported: one small slot per results entry, in the order of the entries,
// so the final pass need not read those trees again. Only paths' 64-bit
// hashes are kept, to tell whether an entry still names the folder reported
// there.
class ScanRecord {
public:
    // Notes a folder appended to the results; its verdict follows once its
    // tree has been searched (settle), and stays unknown if it never is.
    [[nodiscard]] std::size_t noteReported(std::string_view path);
    void settle(std::size_t slot, TreeVerdict verdict);

    // The verdict for results entry `position` (1-based), when `text` is the
    // path the search reported there and the search saw its whole tree in
    // the way asked for; nothing otherwise.
    [[nodiscard]] std::optional<Verdict> verdictAt(std::size_t position, std::string_view text,
                                                   bool zeroByteFilesCount) const;

    [[nodiscard]] std::size_t size() const { return hashes_.size(); }

private:
    // Kept as two arrays, 9 bytes a slot: a search may report a million
    // folders. A verdict is packed as everyFile | bytesOnly << 2.
    std::vector<std::uint64_t> hashes_;
    std::vector<std::uint8_t> verdicts_;
};

} // namespace vacantix
