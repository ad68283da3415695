// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FakeFileSystem.h"

#include <deque>
#include <stdexcept>

#include "platform/PathRoot.h"
#include "platform/TreeDescription.h"

namespace vacantix {

namespace {

bool isBelow(const std::string& path, const std::string& folder)
{
    return path != folder && IsWithin(path, folder);
}

} // namespace

void FakeFileSystem::add(const std::string& base, std::string_view description)
{
    addFolder(base);
    for (const DescribedEntry& entry : ParseTreeDescription(description)) {
        const std::string path = ChildPath(base, entry.path);
        switch (entry.kind) {
        case DescribedEntry::Kind::Folder: addFolder(path); break;
        case DescribedEntry::Kind::File: addFile(path, entry.bytes); break;
        case DescribedEntry::Kind::Link: addLink(path, entry.target); break;
        case DescribedEntry::Kind::Other: addOther(path); break;
        }
    }
}

FakeFileSystem::Node& FakeFileSystem::make(const std::string& path, Kind kind)
{
    if (path.empty() || path.front() != '/')
        throw std::invalid_argument("fake paths are absolute: " + path);
    if (auto it = nodes_.find(path); it != nodes_.end()) {
        if (it->second.kind != kind)
            throw std::invalid_argument("fake entry added twice as different kinds: " + path);
        return it->second;
    }
    if (path != "/") {
        const std::string parent = ParentPath(path);
        make(parent, Kind::Folder).children.emplace_back(BaseName(path));
    }
    Node& node = nodes_[path];
    node.kind = kind;
    return node;
}

void FakeFileSystem::addFolder(const std::string& path)
{
    make(WithoutTrailingSeparator(path), Kind::Folder);
}

void FakeFileSystem::addFile(const std::string& path, std::uint64_t bytes)
{
    make(path, Kind::File).bytes = bytes;
}

void FakeFileSystem::addLink(const std::string& path, std::string target)
{
    make(path, Kind::Link).target = std::move(target);
}

void FakeFileSystem::addOther(const std::string& path)
{
    make(path, Kind::Other);
}

void FakeFileSystem::remove(const std::string& path)
{
    if (!nodes_.contains(path))
        return;
    for (auto it = nodes_.upper_bound(path); it != nodes_.end() && isBelow(it->first, path);)
        it = nodes_.erase(it);
    nodes_.erase(path);
    if (path != "/") {
        auto& siblings = nodes_[ParentPath(path)].children;
        std::erase(siblings, std::string(BaseName(path)));
    }
}

void FakeFileSystem::fail(const std::string& folder, Op op, FsError error)
{
    failures_[folder][op] = error;
}

void FakeFileSystem::heal(const std::string& folder)
{
    failures_.erase(folder);
}

void FakeFileSystem::vanishAfterListing(const std::string& folder)
{
    vanishing_.insert(folder);
}

void FakeFileSystem::setAttributes(const std::string& folder, int value)
{
    attributes_[folder] = value;
}

int FakeFileSystem::listings(const std::string& folder) const
{
    const auto it = listings_.find(folder);
    return it == listings_.end() ? 0 : it->second;
}

std::optional<FsFailure> FakeFileSystem::failure(const std::string& folder, Op op) const
{
    const auto it = failures_.find(folder);
    if (it == failures_.end())
        return std::nullopt;
    const auto found = it->second.find(op);
    if (found == it->second.end())
        return std::nullopt;
    return FsFailure{found->second, {}};
}

std::optional<std::string> FakeFileSystem::locate(std::string_view path, bool followFinal) const
{
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    auto split = [](std::string_view text) {
        std::deque<std::string> parts;
        for (std::size_t start = 0;;) {
            const std::size_t slash = text.find('/', start);
            parts.emplace_back(text.substr(start, slash == std::string_view::npos ? slash : slash - start));
            if (slash == std::string_view::npos)
                return parts;
            start = slash + 1;
        }
    };
    std::deque<std::string> parts = split(path);
    std::string at = "/";
    int hops = 0;
    while (!parts.empty()) {
        const std::string part = std::move(parts.front());
        parts.pop_front();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            at = ParentPath(at);
            continue;
        }
        std::string next = ChildPath(at, part);
        const auto it = nodes_.find(next);
        if (it == nodes_.end())
            return std::nullopt;
        if (it->second.kind == Kind::Link && (followFinal || !parts.empty())) {
            if (++hops > 40)
                return std::nullopt;
            const std::string& target = it->second.target;
            std::deque<std::string> more = split(target);
            parts.insert(parts.begin(), more.begin(), more.end());
            if (target.starts_with('/'))
                at.assign(1, '/'); // not = "/": GCC 12 warns falsely of overlap there
            continue;
        }
        if (it->second.kind != Kind::Folder && !parts.empty())
            return std::nullopt;
        at = std::move(next);
    }
    return at;
}

FsResult<Listing> FakeFileSystem::list(const std::string& folder)
{
    return read(folder, false);
}

FsResult<Listing> FakeFileSystem::listNamed(const std::string& folder)
{
    return read(folder, true);
}

FsResult<Listing> FakeFileSystem::read(const std::string& folder, bool followFinalLink)
{
    if (folder.size() + 1 >= maxPath_)
        return FsFailure{FsError::TooLong, {}};
    if (auto failed = failure(folder, Op::List))
        return *failed;
    const auto located = locate(folder, followFinalLink);
    if (!located)
        return FsFailure{FsError::PathNotFound, {}};
    const std::string& real = *located;
    const auto it = nodes_.find(real);
    if (it == nodes_.end() || it->second.kind != Kind::Folder)
        return FsFailure{FsError::PathNotFound, {}};

    ++listings_[folder];
    ++totalListings_;
    Listing listing;
    for (const std::string& name : it->second.children) {
        const Node& child = nodes_.at(ChildPath(real, name));
        switch (child.kind) {
        case Kind::Folder: listing.subfolders.push_back(name); break;
        case Kind::File: listing.files.push_back({name, EntryKind::RegularFile}); break;
        case Kind::Link: listing.files.push_back({name, EntryKind::Symlink}); break;
        case Kind::Other: listing.files.push_back({name, EntryKind::OtherFile}); break;
        }
    }
    listing.protectedFolder = isProtectedAt(real);
    listing.subfoldersFailure = failure(folder, Op::Subfolders);
    listing.filesFailure = failure(folder, Op::Files);
    if (listing.subfoldersFailure)
        listing.subfolders.clear();
    if (listing.filesFailure)
        listing.files.clear();
    if (vanishing_.erase(folder) > 0)
        remove(real);
    return listing;
}

FsResult<int> FakeFileSystem::attributes(const std::string& folder)
{
    if (auto failed = failure(folder, Op::Look))
        return *failed;
    if (auto failed = failure(folder, Op::Attributes))
        return *failed;
    const auto located = locate(folder, false);
    if (!located)
        return FsFailure{FsError::PathNotFound, {}};
    const auto it = nodes_.find(*located);
    if (const auto set = attributes_.find(*located); set != attributes_.end())
        return set->second;
    int value = 0;
    if (it->second.kind == Kind::Link) {
        value |= Alias;
        if (isDirectory(folder))
            value |= Directory;
    } else if (it->second.kind == Kind::Folder) {
        value |= Directory;
    }
    if (BaseName(folder).starts_with('.'))
        value |= Hidden;
    return value;
}

FsResult<std::uint64_t> FakeFileSystem::fileSize(const std::string& folder, const std::string& name)
{
    if (auto failed = failure(folder, Op::FileSize))
        return *failed;
    const auto located = locate(ChildPath(folder, name), false);
    if (!located)
        return FsFailure{FsError::PathNotFound, {}};
    const Node& node = nodes_.at(*located);
    return node.kind == Kind::File ? node.bytes : 0;
}

FsResult<std::uint64_t> FakeFileSystem::size(const std::string& folder, std::uint64_t stopAbove)
{
    if (auto failed = failure(folder, Op::Size))
        return *failed;
    return FileSystem::size(folder, stopAbove);
}

bool FakeFileSystem::fileExists(const std::string& path)
{
    if (failure(WithoutTrailingSeparator(path), Op::Look))
        return false;
    return locate(WithoutTrailingSeparator(path), true).has_value();
}

bool FakeFileSystem::isDirectory(const std::string& path)
{
    if (failure(WithoutTrailingSeparator(path), Op::Look))
        return false;
    const auto real = locate(WithoutTrailingSeparator(path), true);
    return real && nodes_.at(*real).kind == Kind::Folder;
}

bool FakeFileSystem::isProtectedAt(const std::string& real) const
{
    if (real == "/")
        return false;
    const auto top = [&](const std::string& folder) { return folder == "/" || mounts_.contains(folder); };
    return top(real) || (BaseName(real) == "lost+found" && top(ParentPath(real)));
}

bool FakeFileSystem::isProtected(const std::string& folder)
{
    const auto real = locate(WithoutTrailingSeparator(folder), false);
    return real && nodes_.at(*real).kind == Kind::Folder && isProtectedAt(*real);
}

FsResult<std::string> FakeFileSystem::realPath(const std::string& path)
{
    if (auto failed = failure(path, Op::RealPath))
        return *failed;
    auto real = locate(path, true);
    if (!real)
        return FsFailure{FsError::PathNotFound, {}};
    return std::move(*real);
}

FsResult<Done> FakeFileSystem::createFolder(const std::string& path)
{
    const std::string folder = WithoutTrailingSeparator(path);
    if (nodes_.contains(folder))
        return FsFailure{FsError::Other, "exists"};
    if (!isDirectory(ParentPath(folder)))
        return FsFailure{FsError::PathNotFound, {}};
    addFolder(folder);
    return Done{};
}

} // namespace vacantix
