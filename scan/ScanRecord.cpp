// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanRecord.h"

#include <functional>

namespace vacantix {

namespace {

std::uint64_t hashOf(std::string_view text)
{
    return std::hash<std::string_view>{}(text);
}

std::uint8_t packed(TreeVerdict verdict)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(verdict.everyFile) |
                                     static_cast<unsigned>(verdict.bytesOnly) << 2);
}

TreeVerdict unpacked(std::uint8_t verdict)
{
    return {static_cast<Verdict>(verdict & 3u), static_cast<Verdict>(verdict >> 2)};
}

} // namespace

std::size_t ScanRecord::noteReported(std::string_view path)
{
    hashes_.push_back(hashOf(path));
    verdicts_.push_back(packed(TreeVerdict::unknown()));
    return hashes_.size() - 1;
}

void ScanRecord::settle(std::size_t slot, TreeVerdict verdict)
{
    if (slot < verdicts_.size())
        verdicts_[slot] = packed(verdict);
}

std::optional<Verdict> ScanRecord::verdictAt(std::size_t position, std::string_view text,
                                             bool zeroByteFilesCount) const
{
    if (position == 0 || position > hashes_.size())
        return std::nullopt;
    if (hashes_[position - 1] != hashOf(text))
        return std::nullopt;
    const Verdict verdict = unpacked(verdicts_[position - 1]).counting(zeroByteFilesCount);
    if (verdict == Verdict::Unknown)
        return std::nullopt;
    return verdict;
}

} // namespace vacantix
