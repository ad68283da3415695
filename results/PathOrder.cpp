// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/PathOrder.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>
#include <unordered_map>

namespace vacantix {

namespace {

using NodeIndex = PathStore::NodeIndex;

// A byte as names are compared: as unsigned, ASCII letters in lower case.
unsigned char Folded(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool NameLess(std::string_view a, std::string_view b)
{
    const auto folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                     [](char x, char y) { return Folded(x) < Folded(y); });
    if (folded)
        return true;
    const bool foldedEqual = !std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                           [](char x, char y) { return Folded(x) < Folded(y); });
    return foldedEqual && a < b;
}

// Each node's name as its rank among the distinct names of the store
// (a tree names the same folder names again and again, and names lie
// scattered in the store: each is compared once, then stands as a number).
std::vector<std::uint32_t> NameRanks(const PathStore& store)
{
    const std::size_t nodes = store.nodeCount();
    std::vector<std::uint32_t> rank(nodes);
    std::unordered_map<std::string_view, std::uint32_t> ids;
    std::vector<std::string_view> distinct;
    for (std::size_t node = 0; node < nodes; ++node) {
        const std::string_view name = store.name(static_cast<NodeIndex>(node));
        const auto [id, added] = ids.try_emplace(name, static_cast<std::uint32_t>(distinct.size()));
        if (added)
            distinct.push_back(name);
        rank[node] = id->second;
    }
    std::unordered_map<std::string_view, std::uint32_t>().swap(ids);
    std::vector<std::uint32_t> byName(distinct.size());
    std::iota(byName.begin(), byName.end(), 0U);
    std::sort(byName.begin(), byName.end(),
              [&](std::uint32_t a, std::uint32_t b) { return NameLess(distinct[a], distinct[b]); });
    std::vector<std::uint32_t> rankOfId(distinct.size());
    for (std::size_t i = 0; i < byName.size(); ++i)
        rankOfId[byName[i]] = static_cast<std::uint32_t>(i);
    for (std::uint32_t& r : rank)
        r = rankOfId[r];
    return rank;
}

// The distinct paths of the store's nodes as a tree: each node's depth
// and its rank among the distinct paths of that depth, ordered by the rank
// of the parent, then by name (nodes that name the same path, which a store
// may hold more than once, share a rank); and for each rank of each depth
// the rank of its parent.
struct PathTree {
    std::vector<std::uint32_t> depth; // per node
    std::vector<std::uint32_t> rank;  // per node
    std::vector<std::vector<std::uint32_t>> parentOf; // per depth, per rank
};

PathTree RankNodes(const PathStore& store)
{
    const std::size_t nodes = store.nodeCount();
    PathTree tree{std::vector<std::uint32_t>(nodes), NameRanks(store), {}};
    std::uint32_t deepest = 0;
    for (std::size_t node = 0; node < nodes; ++node) {
        const NodeIndex parent = store.parent(static_cast<NodeIndex>(node));
        // A parent is always made before its children.
        tree.depth[node] = parent == PathStore::NoParent ? 0 : tree.depth[parent] + 1;
        deepest = std::max(deepest, tree.depth[node]);
    }
    std::vector<std::vector<NodeIndex>> levels(nodes == 0 ? 0 : deepest + 1);
    for (std::size_t node = 0; node < nodes; ++node)
        levels[tree.depth[node]].push_back(static_cast<NodeIndex>(node));

    // A depth is ranked once the depth above is: until then `rank` holds
    // the name ranks of its nodes.
    std::vector<std::pair<std::uint64_t, NodeIndex>> keyed;
    for (std::vector<NodeIndex>& level : levels) {
        keyed.clear();
        for (const NodeIndex node : level) {
            const NodeIndex parent = store.parent(node);
            const std::uint64_t parentRank = parent == PathStore::NoParent ? 0 : tree.rank[parent];
            keyed.emplace_back(parentRank << 32 | tree.rank[node], node);
        }
        std::vector<NodeIndex>().swap(level);
        std::sort(keyed.begin(), keyed.end());
        std::vector<std::uint32_t>& parents = tree.parentOf.emplace_back();
        for (std::size_t i = 0; i < keyed.size(); ++i) {
            if (i == 0 || keyed[i].first != keyed[i - 1].first)
                parents.push_back(static_cast<std::uint32_t>(keyed[i].first >> 32));
            tree.rank[keyed[i].second] = static_cast<std::uint32_t>(parents.size() - 1);
        }
    }
    return tree;
}

// Each distinct path's place in the pre-order of the tree (a path, then the
// paths below it, in the order of their ranks), per depth and rank.
std::vector<std::vector<std::uint32_t>> PreOrder(const PathTree& tree)
{
    const std::size_t depths = tree.parentOf.size();
    std::vector<std::vector<std::uint32_t>> size(depths); // the paths of each subtree
    for (std::size_t d = depths; d-- > 0;) {
        size[d].assign(tree.parentOf[d].size(), 1);
        if (d + 1 < depths) {
            for (std::size_t r = 0; r < size[d + 1].size(); ++r)
                size[d][tree.parentOf[d + 1][r]] += size[d + 1][r];
        }
    }
    std::vector<std::vector<std::uint32_t>> place(depths);
    for (std::size_t d = 0; d < depths; ++d) {
        // The children of a path follow one another in rank order.
        std::uint32_t next = 0;
        for (std::size_t r = 0; r < size[d].size(); ++r) {
            const std::uint32_t parent = tree.parentOf[d][r];
            if (d > 0 && (r == 0 || parent != tree.parentOf[d][r - 1]))
                next = place[d - 1][parent] + 1;
            place[d].push_back(next);
            next += size[d][r];
        }
        std::vector<std::uint32_t>().swap(size[d]);
    }
    return place;
}

} // namespace

std::vector<std::uint32_t> PathOrder(const PathStore& store)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> keyed(store.size()); // place, position
    {
        const PathTree tree = RankNodes(store);
        const std::vector<std::vector<std::uint32_t>> place = PreOrder(tree);
        for (std::size_t position = 0; position < keyed.size(); ++position) {
            const NodeIndex node = store.node(position);
            keyed[position] = {place[tree.depth[node]][tree.rank[node]], static_cast<std::uint32_t>(position)};
        }
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::uint32_t> order(keyed.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].second;
    return order;
}

} // namespace vacantix
