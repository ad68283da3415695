// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TrashPlaces.h"

#include <algorithm>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/PathRoot.h"

namespace vacantix {

namespace {

// The variable's value when it names an absolute path, else "".
std::string absoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !IsAbsolutePath(value))
        return {};
    return WithoutTrailingSeparator(value);
}

} // namespace

std::vector<std::string> HomeTrashFolders()
{
    if constexpr (kNativeSyntax == PathSyntax::Windows)
        return {};
    std::vector<std::string> places;
    if (const std::string data = absoluteVariable("XDG_DATA_HOME"); !data.empty())
        places.push_back(ChildPath(data, "Trash"));
    if (const std::string home = absoluteVariable("HOME"); !home.empty()) {
        std::string usual = ChildPath(home, ".local/share/Trash");
        if (std::find(places.begin(), places.end(), usual) == places.end())
            places.push_back(std::move(usual));
    }
    return places;
}

bool IsTrashFolderName(std::string_view name)
{
    if (name == ".Trash")
        return true;
    constexpr std::string_view prefix = ".Trash-";
    if (!name.starts_with(prefix) || name.size() == prefix.size())
        return false;
    name.remove_prefix(prefix.size());
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace vacantix
