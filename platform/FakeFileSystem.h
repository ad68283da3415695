// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix {

// A file system in memory for tests: folders, files with sizes, symbolic
// links and other entries (sockets, FIFOs), in the order they were added.
// Any operation on any folder can be made to fail, and a folder can vanish
// right after it was listed, which a real disk cannot be made to do on cue.
// Paths are found as the kernel finds them: ".", ".." and doubled
// separators are resolved on the way, links in every part but the last are
// followed. Failures and listing counts go by the path as given.
class FakeFileSystem final : public FileSystem {
public:
    // The operations a failure can be attached to, per folder.
    enum class Op : std::uint8_t {
        List,       // list() and listNamed() fail as a whole
        Subfolders, // the listing's subfolder part fails
        Files,      // the listing's file part fails
        Attributes, // attributes() fails
        Size,       // size() of the folder fails
        FileSize,   // fileSize() of any file in the folder fails
        Look,       // any look at the entry itself: fileExists() and isDirectory()
                    // answer false, attributes() fails (as a stat below a
                    // folder that cannot be searched)
        RealPath,   // realPath() of the path fails
    };

    FakeFileSystem() = default;

    // Adds the entries of a tree description (see ParseTreeDescription)
    // below `base`, an absolute folder made if missing. A link's target is
    // absolute or relative to the link's folder.
    void add(const std::string& base, std::string_view description);

    void addFolder(const std::string& path);
    void addFile(const std::string& path, std::uint64_t bytes = 1);
    void addLink(const std::string& path, std::string target);
    void addOther(const std::string& path);

    // Removes a folder and everything below it (or one entry) at once.
    void remove(const std::string& path);

    // Makes `op` on `folder` fail with `error` from now on.
    void fail(const std::string& folder, Op op, FsError error);
    void heal(const std::string& folder);

    // The folder and everything below it disappear right after its next
    // successful listing.
    void vanishAfterListing(const std::string& folder);

    // Overrides the attribute value a folder reports (for the System bit,
    // which nothing else gives).
    void setAttributes(const std::string& folder, int value);

    // Makes a folder the top of another file system, as if one were mounted
    // there; the root folder is the top of one from the start.
    void mount(const std::string& folder) { mounts_.insert(WithoutTrailingSeparator(folder)); }

    // How often a folder was listed (list() or listNamed()), and in total.
    [[nodiscard]] int listings(const std::string& folder) const;
    [[nodiscard]] int totalListings() const { return totalListings_; }
    [[nodiscard]] int walksEnded() const { return walksEnded_; }

    [[nodiscard]] bool exists(const std::string& path) const { return nodes_.contains(path); }

    FsResult<Listing> list(const std::string& folder) override;
    FsResult<Listing> listNamed(const std::string& folder) override;
    FsResult<int> attributes(const std::string& folder) override;
    FsResult<std::uint64_t> fileSize(const std::string& folder, const std::string& name) override;
    FsResult<std::uint64_t> size(const std::string& folder, std::uint64_t stopAbove) override;
    bool fileExists(const std::string& path) override;
    bool isDirectory(const std::string& path) override;
    bool isProtected(const std::string& folder) override;
    FsResult<std::string> realPath(const std::string& path) override;
    FsResult<Done> createFolder(const std::string& path) override;
    void endWalk() override { ++walksEnded_; }
    const std::vector<std::string>& systemFolders() const override { return systemFolders_; }
    // Like a platform with a System bit once any attribute value was set by hand.
    [[nodiscard]] bool reportsSystemAttribute() const override { return !attributes_.empty(); }
    std::size_t maxNameLength() const override { return maxName_; }
    std::size_t maxPathLength() const override { return maxPath_; }

    void setSystemFolders(std::vector<std::string> folders) { systemFolders_ = std::move(folders); }
    void setLimits(std::size_t maxName, std::size_t maxPath) { maxName_ = maxName, maxPath_ = maxPath; }

private:
    enum class Kind : std::uint8_t { Folder, File, Link, Other };
    struct Node {
        Kind kind = Kind::Folder;
        std::uint64_t bytes = 0;
        std::string target;
        std::vector<std::string> children; // names, in the order added
    };

    Node& make(const std::string& path, Kind kind);
    [[nodiscard]] std::optional<FsFailure> failure(const std::string& folder, Op op) const;
    FsResult<Listing> read(const std::string& folder, bool followFinalLink);
    // isProtected() of a folder by its path without links.
    [[nodiscard]] bool isProtectedAt(const std::string& real) const;
    // The entry `path` reaches, by its path without links, "." or "..": the
    // last part's link is followed only when `followFinal`. Nothing when a
    // part is missing or no folder, or links loop.
    [[nodiscard]] std::optional<std::string> locate(std::string_view path, bool followFinal) const;

    std::map<std::string, Node> nodes_;
    std::map<std::string, std::map<Op, FsError>> failures_;
    std::set<std::string> vanishing_;
    std::set<std::string> mounts_;
    std::map<std::string, int> attributes_;
    std::map<std::string, int> listings_;
    int totalListings_ = 0;
    int walksEnded_ = 0;
    std::vector<std::string> systemFolders_{"/proc", "/sys", "/usr", "/etc", "/var"};
    std::size_t maxName_ = 256;
    std::size_t maxPath_ = 4096;
};

} // namespace vacantix
