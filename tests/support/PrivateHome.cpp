// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PrivateHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace vacantix::test {

namespace {

// Removes the private home when the test program ends.
struct Home {
    std::string path;
    ~Home()
    {
        if (path.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string& home()
{
    static Home privateHome;
    return privateHome.path;
}

} // namespace

void usePrivateHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vacantix-home-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a private home folder");
    home() = pattern;
    const std::filesystem::path base(pattern);
    for (const char* sub : {"config", "data", "cache", "runtime"})
        std::filesystem::create_directories(base / sub);
    std::filesystem::permissions(base / "runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (base / "cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (base / "runtime").c_str(), 1);
}

const std::string& privateHome()
{
    return home();
}

std::filesystem::path FreshFolder(std::string_view stem)
{
    static int serial = 0;
    const std::filesystem::path folder =
        std::filesystem::path(home()) / (std::string(stem) + std::to_string(++serial));
    std::filesystem::create_directories(folder);
    return folder;
}

std::filesystem::path PrivateTrash()
{
    return std::filesystem::path(home()) / "data/Trash";
}

std::filesystem::path PrivateTrashFiles()
{
    return PrivateTrash() / "files";
}

} // namespace vacantix::test
