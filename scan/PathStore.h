// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vacantix {

// A compact, ordered list of paths with a check mark each: the memory behind
// the results list of the window and of the command line.
//
// Layout. A path is cut at every '/' into names, and the names form a tree:
// each node is one name plus the index of its parent node (the first name of a
// path has no parent). Node i's bytes live in one shared arena, from
// nameStart(i) to nameStart(i + 1); the parent indices and name starts are
// plain 32-bit arrays (the starts widen to 64 bits by themselves once the
// arena outgrows 32 bits). An entry is just the index of its last node, plus
// one bit for its check mark. So an entry costs 4 bytes, a bit, and - when it
// adds a node - 8 bytes plus its last name's bytes, whatever its depth.
//
// Sharing. append() keeps the path appended last with its chain of nodes and
// reuses the leading names the new path has in common with it. Paths that
// come in depth-first pre-order (a folder, then the folders below it) thus
// share every parent. Any other order still works and gives the same texts;
// it only shares less.
//
// Texts. A path is built on demand only (text()), byte for byte as it was
// appended: any bytes but '/' may stand in a name (no encoding is assumed),
// and empty names keep "", "/", "//x", "a/" and relative paths exact. The
// path built last is kept, and the next is built from the names they share,
// so reading the entries in order (or in reverse) copies each path about
// once rather than name by name.
//
// Positions are 0-based here (the ResultsList facade adds the 1-based
// positions and their failure). A position outside 0..size()-1 throws
// std::out_of_range. Removing entries leaves their nodes in place (they may be
// parents of others); clear(), or removing the last entry, frees them all.
//
// Not thread-safe: one thread at a time, for reading too (text() keeps the
// path it built last).
class PathStore {
public:
    using NodeIndex = std::uint32_t;
    static constexpr NodeIndex NoParent = 0xFFFFFFFFu;

    PathStore() = default;
    // For tests: the arena size above which name starts are kept as 64-bit
    // numbers (normally the largest 32-bit number).
    explicit PathStore(std::uint64_t narrowArenaLimit) : narrowLimit_(narrowArenaLimit) {}

    // Adds `path` as the last entry. Throws std::length_error when the store
    // would exceed 2^32 - 2 nodes or entries; it is then unchanged.
    void append(std::string_view path, bool checked = true);
    // Drops every entry and node and returns the memory.
    void clear();

    [[nodiscard]] std::size_t size() const { return entries_.size(); }
    [[nodiscard]] bool empty() const { return entries_.empty(); }

    // The path of entry `position`, exactly as appended.
    [[nodiscard]] std::string text(std::size_t position) const;
    // Appends that path to `out` (saves an allocation when `out` is reused).
    void appendText(std::size_t position, std::string& out) const;

    [[nodiscard]] bool checked(std::size_t position) const;
    void setChecked(std::size_t position, bool checked);
    // Sets or clears every check mark at once.
    void setAllChecked(bool checked);
    // How many entries are checked (counts a word at a time).
    [[nodiscard]] std::size_t checkedCount() const;
    // The first checked position at or after `from`; size() when there is
    // none. Skips unchecked entries a word at a time.
    [[nodiscard]] std::size_t nextChecked(std::size_t from) const;

    // Removes one entry; the entries after it move up one position. Costs a
    // move of the entries after it, as a vector's erase does.
    void remove(std::size_t position);
    // Removes the entries at `positions` (any order; a position named twice
    // is removed once) in one sweep over the list; the others keep their
    // order. All positions are checked before anything is removed.
    void removeMany(const std::vector<std::size_t>& positions);

    // The tree, for callers that walk it (a view that shows the last name only,
    // say). node(position) is the entry's last node; a node's parent is
    // NoParent for the first name of a path.
    [[nodiscard]] NodeIndex node(std::size_t position) const;
    [[nodiscard]] NodeIndex parent(NodeIndex node) const { return parents_.at(node); }
    [[nodiscard]] std::string_view name(NodeIndex node) const;
    [[nodiscard]] std::size_t nodeCount() const { return parents_.size(); }

    // The bytes held by the arrays (capacity, not size): for benchmarks.
    [[nodiscard]] std::size_t memoryBytes() const;

private:
    // A path with the node of each of its names and where each name ends.
    struct Spelled {
        std::string text;
        std::vector<NodeIndex> nodes;
        std::vector<std::size_t> ends;

        // How many leading names `path` has in common with this one.
        [[nodiscard]] std::size_t sharedNames(std::string_view path) const;
        // Keeps the first `names` names.
        void truncate(std::size_t names);
        void push(NodeIndex node, std::string_view name);
        void clear() { *this = {}; }
    };

    [[nodiscard]] std::uint64_t nameStart(std::size_t node) const;
    void pushNameStart(std::uint64_t start);
    NodeIndex addNode(NodeIndex parent, std::string_view name);
    void checkPosition(std::size_t position) const;

    std::string arena_;                    // every name's bytes, back to back
    std::vector<NodeIndex> parents_;       // per node
    std::vector<std::uint32_t> starts32_;  // per node + 1: where its name begins
    std::vector<std::uint64_t> starts64_;  // the same once the arena is wide
    bool wide_ = false;
    std::uint64_t narrowLimit_ = 0xFFFFFFFFu;

    std::vector<NodeIndex> entries_;       // per entry: its last node
    std::vector<std::uint64_t> checks_;    // per entry: one bit
    Spelled appended_;                     // the path appended last
    mutable Spelled read_;                 // the path built last
    mutable std::vector<NodeIndex> climb_; // scratch: an entry's nodes, up from it
};

} // namespace vacantix
