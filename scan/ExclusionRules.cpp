// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/ExclusionRules.h"

#include <algorithm>

#include "platform/TrashPlaces.h"

namespace vacantix {

bool IsIgnoredName(const Settings& settings, std::string_view text)
{
    const auto& names = settings.ignoreList().names;
    return !names.empty() && names.contains(LowerCase(text));
}

bool IsInSystemFolder(const FileSystem& fs, std::string_view path)
{
    const auto& trees = fs.systemFolders();
    return std::any_of(trees.begin(), trees.end(), [&](const std::string& tree) { return IsWithin(path, tree); });
}

namespace {

// True when a part of `path` is named as a top-directory trash.
bool hasTrashFolderName(std::string_view path)
{
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        if (IsTrashFolderName(path.substr(0, slash)))
            return true;
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return false;
}

} // namespace

RealRoot::RealRoot(FileSystem& fs, std::string root) : root_(std::move(root))
{
    auto real = fs.realPath(root_);
    if (real)
        real_ = std::move(real.value());
    else
        failure_ = real.failure();
    rootInTrash_ = hasTrashFolderName(root_) || hasTrashFolderName(real_);
    // A trash that is not there yet holds nothing to keep. One below the
    // root is noted as the walks spell it, so that no folder's real path
    // needs to be made to be compared with it.
    for (const std::string& place : HomeTrashFolders()) {
        auto trash = fs.realPath(place);
        if (!trash || failure_)
            continue;
        if (IsWithin(real_, trash.value()))
            rootInTrash_ = true;
        else if (IsWithin(trash.value(), real_))
            homeTrashesBelow_.push_back(spelledBelowRoot(trash.value()));
    }
}

std::string RealRoot::spelledBelowRoot(std::string_view realPath) const
{
    std::string_view rest = realPath.substr(real_.size());
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return rest.empty() ? root_ : ChildPath(root_, rest);
}

std::string RealRoot::of(std::string_view path) const
{
    if (failure_ || !path.starts_with(root_))
        return std::string(path);
    std::string_view rest = path.substr(root_.size());
    while (rest.starts_with('/'))
        rest.remove_prefix(1);
    return rest.empty() ? real_ : ChildPath(real_, rest);
}

bool RealRoot::inTrash(std::string_view path) const
{
    const auto within = [&](const std::string& trash) { return IsWithin(path, trash); };
    return rootInTrash_ || hasTrashFolderName(path) ||
           std::any_of(homeTrashesBelow_.begin(), homeTrashesBelow_.end(), within);
}

namespace {

bool hasProtectedAttributes(FileSystem& fs, const std::string& folder)
{
    if (!fs.reportsSystemAttribute())
        return false;
    const int value = fs.attributes(folder).orThrow();
    return value == (Directory | System | Hidden) || value == (Directory | System | Hidden | Alias);
}

} // namespace

bool IsProtectedFolder(FileSystem& fs, const std::string& folder)
{
    if (fs.isRootFolder(folder))
        return false;
    return fs.isProtected(folder) || hasProtectedAttributes(fs, folder);
}

bool IsProtectedFolder(FileSystem& fs, const std::string& folder, const Listing& listing)
{
    if (fs.isRootFolder(folder))
        return false;
    return listing.protectedFolder || hasProtectedAttributes(fs, folder);
}

bool HasUnsafeCharacters(std::string_view name)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t size = name.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            if (lead < 32 || lead == 127 || lead == '?')
                return true;
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, least = 0x10000;
        } else {
            return true; // a continuation byte or an overlong/out-of-range lead
        }
        if (i + length > size)
            return true;
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return true;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return true;
        if (code >= 127 && code <= 159)
            return true;
        i += length;
    }
    return false;
}

bool IsRefusedSubfolderName(const FileSystem& fs, std::string_view name)
{
    return name.size() >= fs.maxNameLength() || name == "." || name == ".." || HasUnsafeCharacters(name);
}

} // namespace vacantix
