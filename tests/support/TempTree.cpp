// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/TreeDescription.h"

namespace vacantix::test {

namespace fs = std::filesystem;

namespace {

void makeParents(const fs::path& path)
{
    fs::create_directories(path.parent_path());
}

// The first entry of a folder other than "." and "..", or "" when it is empty.
std::string firstEntry(int fd, bool& isFolder)
{
    const int copy = ::dup(fd);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir)
        return {};
    std::string name;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view found(entry->d_name);
        if (found == "." || found == "..")
            continue;
        name = found;
        struct stat st {};
        isFolder = ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        break;
    }
    ::closedir(dir);
    return name;
}

// Removes a tree of any depth: it goes down by relative opens and back up
// through "..", so neither the path limit nor a descriptor limit applies.
void removeTree(const std::string& root)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return;
    std::vector<std::string> names;
    for (;;) {
        ::fchmod(fd, 0700);
        bool isFolder = false;
        const std::string name = firstEntry(fd, isFolder);
        if (!name.empty()) {
            if (!isFolder) {
                if (::unlinkat(fd, name.c_str(), 0) != 0)
                    break;
                continue;
            }
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            if (child < 0)
                break;
            ::close(fd);
            fd = child;
            names.push_back(name);
            continue;
        }
        if (names.empty())
            break;
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
        if (fd < 0 || ::unlinkat(fd, names.back().c_str(), AT_REMOVEDIR) != 0)
            break;
        names.pop_back();
    }
    if (fd >= 0)
        ::close(fd);
    ::rmdir(root.c_str());
}

} // namespace

TempTree::TempTree(std::string_view description, Place place)
{
    fs::path base = fs::temp_directory_path();
    if (place == Place::Memory && ::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    std::string pattern = (base / "vacantix-tree-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    add(description);
}

TempTree::~TempTree()
{
    removeTree(root_);
}

std::string TempTree::path(std::string_view relative) const
{
    std::string full = root_;
    if (!relative.empty()) {
        full += '/';
        full += relative;
    }
    return full;
}

void TempTree::add(std::string_view description)
{
    for (const DescribedEntry& entry : ParseTreeDescription(description)) {
        const std::string full = path(entry.path);
        if (entry.kind != DescribedEntry::Kind::Folder)
            makeParents(full);
        switch (entry.kind) {
        case DescribedEntry::Kind::Folder: fs::create_directories(full); break;
        case DescribedEntry::Kind::File: std::ofstream(full, std::ios::binary) << std::string(entry.bytes, 'x'); break;
        case DescribedEntry::Kind::Link: fs::create_symlink(entry.target, full); break;
        case DescribedEntry::Kind::Other:
            if (::mkfifo(full.c_str(), 0600) != 0)
                throw std::runtime_error("cannot make a FIFO: " + full);
            break;
        }
    }
}

int TempTree::makeChain(std::string_view relative, std::string_view name, int depth) const
{
    const std::string start = path(relative);
    fs::create_directories(start);
    int fd = ::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + start);
    const std::string child(name);
    int reached = 0;
    for (; reached < depth; ++reached) {
        if (::mkdirat(fd, child.c_str(), 0755) != 0)
            break;
        const int next = ::openat(fd, child.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        if (fd < 0)
            break;
    }
    if (fd >= 0)
        ::close(fd);
    return reached;
}

std::string ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vacantix::test
