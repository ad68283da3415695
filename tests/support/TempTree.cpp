// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vacantix::test {

namespace fs = std::filesystem;

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

void makeParents(const fs::path& path)
{
    fs::create_directories(path.parent_path());
}

} // namespace

TempTree::TempTree(std::string_view description)
{
    std::string pattern = (fs::temp_directory_path() / "vacantix-tree-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    add(description);
}

TempTree::~TempTree()
{
    std::error_code error;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(root_, error);
    if (error) {
        // Trees deeper than the path limit are beyond remove_all.
        const std::string command = "rm -rf -- '" + root_ + "'";
        if (std::system(command.c_str()) != 0)
            fs::remove_all(root_, error);
    }
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
    while (!description.empty()) {
        const auto end = description.find('\n');
        const std::string_view line = trimmed(description.substr(0, end));
        description = end == std::string_view::npos ? std::string_view{} : description.substr(end + 1);
        if (line.empty())
            continue;

        if (const auto arrow = line.find("->"); arrow != std::string_view::npos) {
            const fs::path link = path(line.substr(0, arrow));
            makeParents(link);
            fs::create_symlink(std::string(line.substr(arrow + 2)), link);
        } else if (line.back() == '/') {
            fs::create_directories(path(line.substr(0, line.size() - 1)));
        } else if (line.back() == '!') {
            const std::string fifo = path(line.substr(0, line.size() - 1));
            makeParents(fifo);
            if (::mkfifo(fifo.c_str(), 0600) != 0)
                throw std::runtime_error("cannot make a FIFO: " + fifo);
        } else {
            std::uintmax_t bytes = 1;
            std::string_view name = line;
            if (const auto colon = line.rfind(':'); colon != std::string_view::npos) {
                bytes = std::stoull(std::string(line.substr(colon + 1)));
                name = line.substr(0, colon);
            }
            const std::string file = path(name);
            makeParents(file);
            std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
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

} // namespace vacantix::test
