// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/PathStore.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace vacantix {

namespace {

constexpr std::size_t WordBits = 64;

bool TestBit(const std::vector<std::uint64_t>& words, std::size_t i)
{
    return (words[i / WordBits] >> (i % WordBits)) & 1u;
}

void PutBit(std::vector<std::uint64_t>& words, std::size_t i, bool on)
{
    const std::uint64_t mask = std::uint64_t{1} << (i % WordBits);
    if (on)
        words[i / WordBits] |= mask;
    else
        words[i / WordBits] &= ~mask;
}

// How many leading bytes `a` and `b` have in common, eight at a time.
std::size_t commonPrefix(std::string_view a, std::string_view b)
{
    const std::size_t length = std::min(a.size(), b.size());
    std::size_t at = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; at + 8 <= length; at += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a.data() + at, 8);
            std::memcpy(&y, b.data() + at, 8);
            if (x != y)
                return at + static_cast<std::size_t>(std::countr_zero(x ^ y)) / 8;
        }
    }
    while (at < length && a[at] == b[at])
        ++at;
    return at;
}

} // namespace

std::size_t PathStore::Spelled::sharedNames(std::string_view path) const
{
    const std::size_t common = commonPrefix(path, text);
    // A name is shared when its bytes are and it ends where it ends here.
    std::size_t names = 0;
    while (names < ends.size() && ends[names] <= common && (ends[names] == path.size() || path[ends[names]] == '/'))
        ++names;
    return names;
}

void PathStore::Spelled::truncate(std::size_t names)
{
    text.resize(names == 0 ? 0 : ends[names - 1]);
    nodes.resize(names);
    ends.resize(names);
}

void PathStore::Spelled::push(NodeIndex node, std::string_view name)
{
    if (!nodes.empty())
        text.push_back('/');
    text.append(name);
    nodes.push_back(node);
    ends.push_back(text.size());
}

void PathStore::append(std::string_view path, bool checked)
{
    const std::size_t shared = appended_.sharedNames(path);
    const std::size_t rest = shared == 0 ? 0 : appended_.ends[shared - 1] + 1;
    const std::size_t names =
        rest > path.size() ? 0 : static_cast<std::size_t>(std::count(path.begin() + rest, path.end(), '/')) + 1;
    if (parents_.size() + names >= NoParent || entries_.size() >= NoParent)
        throw std::length_error("PathStore: too many paths");

    appended_.truncate(shared);
    for (std::size_t begin = rest; begin <= path.size() && appended_.nodes.size() < shared + names;) {
        const std::size_t slash = std::min(path.find('/', begin), path.size());
        const std::string_view piece = path.substr(begin, slash - begin);
        appended_.push(addNode(appended_.nodes.empty() ? NoParent : appended_.nodes.back(), piece), piece);
        begin = slash + 1;
    }

    if (entries_.size() % WordBits == 0)
        checks_.push_back(0);
    entries_.push_back(appended_.nodes.back());
    PutBit(checks_, entries_.size() - 1, checked);
}

PathStore::NodeIndex PathStore::addNode(NodeIndex parent, std::string_view piece)
{
    if (parents_.empty())
        pushNameStart(0);
    arena_.append(piece);
    pushNameStart(arena_.size());
    parents_.push_back(parent);
    return static_cast<NodeIndex>(parents_.size() - 1);
}

void PathStore::pushNameStart(std::uint64_t start)
{
    if (!wide_ && start > narrowLimit_) {
        starts64_.assign(starts32_.begin(), starts32_.end());
        starts32_ = {};
        wide_ = true;
    }
    if (wide_)
        starts64_.push_back(start);
    else
        starts32_.push_back(static_cast<std::uint32_t>(start));
}

std::uint64_t PathStore::nameStart(std::size_t node) const
{
    return wide_ ? starts64_[node] : starts32_[node];
}

std::string_view PathStore::name(NodeIndex node) const
{
    if (node >= parents_.size())
        throw std::out_of_range("PathStore: no such node");
    const std::uint64_t begin = nameStart(node);
    return std::string_view(arena_).substr(begin, nameStart(node + 1) - begin);
}

void PathStore::clear()
{
    arena_ = {};
    parents_ = {};
    starts32_ = {};
    starts64_ = {};
    wide_ = false;
    entries_ = {};
    checks_ = {};
    appended_.clear();
    read_.clear();
    climb_ = {};
}

void PathStore::checkPosition(std::size_t position) const
{
    if (position >= entries_.size())
        throw std::out_of_range("PathStore: position out of range");
}

PathStore::NodeIndex PathStore::node(std::size_t position) const
{
    checkPosition(position);
    return entries_[position];
}

std::string PathStore::text(std::size_t position) const
{
    std::string out;
    appendText(position, out);
    return out;
}

void PathStore::appendText(std::size_t position, std::string& out) const
{
    checkPosition(position);
    climb_.clear();
    for (NodeIndex at = entries_[position]; at != NoParent; at = parents_[at])
        climb_.push_back(at);
    const std::size_t depth = climb_.size();
    std::size_t shared = 0;
    while (shared < read_.nodes.size() && shared < depth && read_.nodes[shared] == climb_[depth - 1 - shared])
        ++shared;
    read_.truncate(shared);
    for (std::size_t i = depth - shared; i-- > 0;)
        read_.push(climb_[i], name(climb_[i]));
    out.append(read_.text);
}

bool PathStore::checked(std::size_t position) const
{
    checkPosition(position);
    return TestBit(checks_, position);
}

void PathStore::setChecked(std::size_t position, bool checked)
{
    checkPosition(position);
    PutBit(checks_, position, checked);
}

void PathStore::setAllChecked(bool checked)
{
    std::fill(checks_.begin(), checks_.end(), checked ? ~std::uint64_t{0} : 0);
    // Bits past the last entry stay clear, so checkedCount() can count words.
    if (checked && entries_.size() % WordBits != 0)
        checks_.back() = (std::uint64_t{1} << (entries_.size() % WordBits)) - 1;
}

std::size_t PathStore::checkedCount() const
{
    std::size_t count = 0;
    for (const std::uint64_t word : checks_)
        count += static_cast<std::size_t>(std::popcount(word));
    return count;
}

std::size_t PathStore::nextChecked(std::size_t from) const
{
    if (from >= entries_.size())
        return entries_.size();
    std::size_t word = from / WordBits;
    std::uint64_t bits = checks_[word] & (~std::uint64_t{0} << (from % WordBits));
    while (bits == 0) {
        if (++word == checks_.size())
            return entries_.size();
        bits = checks_[word];
    }
    return word * WordBits + static_cast<std::size_t>(std::countr_zero(bits));
}

void PathStore::remove(std::size_t position)
{
    checkPosition(position);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    // Shifts the check bits after `position` down by one, a word at a time.
    const std::size_t first = position / WordBits;
    const std::uint64_t below = (std::uint64_t{1} << (position % WordBits)) - 1;
    std::uint64_t word = checks_[first];
    std::uint64_t shifted = (word & below) | ((word >> 1) & ~below);
    for (std::size_t w = first; w < checks_.size(); ++w) {
        const std::uint64_t next = w + 1 < checks_.size() ? checks_[w + 1] : 0;
        checks_[w] = (w == first ? shifted : checks_[w] >> 1) | (next << (WordBits - 1));
    }
    if (entries_.size() % WordBits == 0)
        checks_.pop_back();
    if (entries_.empty())
        clear();
}

void PathStore::removeMany(const std::vector<std::size_t>& positions)
{
    for (const std::size_t position : positions)
        checkPosition(position);
    if (positions.empty())
        return;
    std::vector<std::uint64_t> doomed(checks_.size(), 0);
    for (const std::size_t position : positions)
        PutBit(doomed, position, true);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (TestBit(doomed, i))
            continue;
        if (kept != i) {
            entries_[kept] = entries_[i];
            PutBit(checks_, kept, TestBit(checks_, i));
        }
        ++kept;
    }
    entries_.resize(kept);
    checks_.resize((kept + WordBits - 1) / WordBits);
    if (kept % WordBits != 0)
        checks_.back() &= (std::uint64_t{1} << (kept % WordBits)) - 1;
    if (entries_.empty())
        clear();
}

std::size_t PathStore::memoryBytes() const
{
    return arena_.capacity() + (parents_.capacity() + starts32_.capacity() + entries_.capacity() +
                                appended_.nodes.capacity()) * sizeof(std::uint32_t) +
           (starts64_.capacity() + checks_.capacity()) * sizeof(std::uint64_t);
}

} // namespace vacantix
