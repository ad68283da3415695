// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/PathStore.h"

#include <algorithm>
#include <bit>
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

} // namespace

void PathStore::append(std::string_view path, bool checked)
{
    const std::size_t names = static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')) + 1;
    if (parents_.size() + names >= NoParent || entries_.size() >= NoParent)
        throw std::length_error("PathStore: too many paths");

    // Walks the names of `path`, reusing the previous path's nodes while they match.
    bool sharing = true;
    NodeIndex current = NoParent;
    std::size_t depth = 0;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t slash = path.find('/', begin);
        const std::string_view piece =
            path.substr(begin, slash == std::string_view::npos ? std::string_view::npos : slash - begin);
        if (sharing && depth < chain_.size() && name(chain_[depth]) == piece) {
            current = chain_[depth];
        } else {
            sharing = false;
            current = addNode(current, piece);
            chain_.resize(depth);
            chain_.push_back(current);
        }
        ++depth;
        if (slash == std::string_view::npos)
            break;
        begin = slash + 1;
    }
    chain_.resize(depth);

    if (entries_.size() % WordBits == 0)
        checks_.push_back(0);
    entries_.push_back(current);
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
    chain_ = {};
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
    // The nodes from the entry up to its first name; most paths fit the
    // fixed part, deeper ones spill into the vector.
    constexpr std::size_t Inline = 64;
    NodeIndex shallow[Inline];
    std::vector<NodeIndex> deep;
    std::size_t depth = 0;
    std::size_t length = 0;
    for (NodeIndex at = entries_[position]; at != NoParent; at = parents_[at]) {
        if (depth < Inline)
            shallow[depth] = at;
        else
            deep.push_back(at);
        length += nameStart(at + 1) - nameStart(at) + 1;
        ++depth;
    }
    out.reserve(out.size() + length - 1);
    for (std::size_t i = depth; i-- > 0;) {
        const NodeIndex at = i < Inline ? shallow[i] : deep[i - Inline];
        out.append(arena_, nameStart(at), nameStart(at + 1) - nameStart(at));
        if (i != 0)
            out.push_back('/');
    }
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
                                chain_.capacity()) * sizeof(std::uint32_t) +
           (starts64_.capacity() + checks_.capacity()) * sizeof(std::uint64_t);
}

} // namespace vacantix
