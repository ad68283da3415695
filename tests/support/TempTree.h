// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vacantix::test {

// A real folder tree in a fresh temporary folder, removed again (however
// deep it grew) when the object goes.
class TempTree {
public:
    // Where the tree lives: the temporary folder, or memory (/dev/shm, where
    // there is one) for trees so big that a disk would make the test slow.
    enum class Place { TempFolder, Memory };

    // Builds the tree from a tree description (see ParseTreeDescription);
    // "A/p!" makes a FIFO.
    explicit TempTree(std::string_view description = {}, Place place = Place::TempFolder);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    void add(std::string_view description);

    // The root folder, without a trailing separator.
    [[nodiscard]] const std::string& root() const { return root_; }
    // root() + "/" + relative.
    [[nodiscard]] std::string path(std::string_view relative) const;

    // Makes a chain of `depth` nested folders named `name` below `relative`,
    // each made relative to its parent, so no path limit stops it. Returns
    // the depth reached.
    int makeChain(std::string_view relative, std::string_view name, int depth) const;

private:
    std::string root_;
};

// The bytes of a file, or "" when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

} // namespace vacantix::test
