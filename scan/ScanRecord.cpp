// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ScanRecord.h"

#include <functional>

namespace vacantix {

namespace {

std::uint64_t hashOf(std::string_view text)
{
    return std::hash<std::string_view>{}(text);
}

} // namespace

std::size_t ScanRecord::noteReported(std::string_view path)
{
    slots_.push_back({hashOf(path), static_cast<std::uint32_t>(path.size()), TreeVerdict::unknown()});
    return slots_.size() - 1;
}

void ScanRecord::settle(std::size_t slot, TreeVerdict verdict)
{
    if (slot < slots_.size())
        slots_[slot].verdict = verdict;
}

std::optional<Verdict> ScanRecord::verdictAt(std::size_t position, std::string_view text,
                                             bool zeroByteFilesCount) const
{
    if (position == 0 || position > slots_.size())
        return std::nullopt;
    const Slot& slot = slots_[position - 1];
    if (slot.length != text.size() || slot.hash != hashOf(text))
        return std::nullopt;
    const Verdict verdict = slot.verdict.counting(zeroByteFilesCount);
    if (verdict == Verdict::Unknown)
        return std::nullopt;
    return verdict;
}

} // namespace vacantix
