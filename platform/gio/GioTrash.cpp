// SPDX-License-Identifier: GPL-3.0-or-later
// Sending one entry to the trash, in four steps:
//  - the path is spelled canonically first: GIO drops "." and ".." by their
//    text, so "LINK/.." would otherwise name the folder holding LINK, not
//    the parent of LINK's target that the system means by it;
//  - GIO moves the entry and writes its record;
//  - its "yes" is checked on the disk: the entry has left its place, and the
//    record found beside it in the trash names that place (else it is
//    written again, or the entry put back);
//  - a name too long for GIO's record file is moved here instead.
#include "platform/gio/GioTrash.h"

#include <gio/gio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

constexpr std::string_view kRecordSuffix = ".trashinfo";
// An overlong name is kept in the trash under its first bytes, leaving room
// for a ".N" and the record's suffix within the file system's name limit.
constexpr std::size_t kShortNameBytes = 200;
// The longest name GIO records whole: it writes NAME.trashinfo through a
// temporary NAME.trashinfo.XXXXXX, and with a longer name says yes over an
// empty record.
constexpr std::size_t kLongestGioName = 255 - kRecordSuffix.size() - 7;
// Bounds every search for a free or a used trash name.
constexpr int kMaxTrashNames = 100000;

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> identityOf(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

std::string parentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string joined(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// `path` spelled without "." or ".." and without symbolic links in its
// folders, naming the entry `path` names (a final link stays the link).
FsResult<std::string> canonical(std::string path, const Identity& id)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::string name = nameOf(path);
    const bool dots = name == "." || name == "..";
    const std::unique_ptr<char, decltype(&std::free)> real(realpath((dots ? path : parentOf(path)).c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return FailureOfErrno(errno);
    const std::string result = dots ? std::string(real.get()) : joined(real.get(), name);
    if (result == "/")
        return FsFailure{FsError::Other, "the root folder cannot go to the trash"};
    if (identityOf(result) != id)
        return FsFailure{FsError::PathNotFound, "it changed while it was being sent to the trash"};
    return result;
}

// One trash folder, holding info/ and files/.
struct TrashPlace {
    std::string folder;
    std::string topdir; // empty for the user's trash, whose records hold absolute paths
    bool shared = false; // $topdir/.Trash/$uid, usable only below a sticky $topdir/.Trash
};

std::string recordOf(const TrashPlace& place, const std::string& trashName)
{
    return place.folder + "/info/" + trashName + std::string(kRecordSuffix);
}

std::string trashedOf(const TrashPlace& place, const std::string& trashName)
{
    return place.folder + "/files/" + trashName;
}

// The highest folder above `path` on the same file system.
std::string topdirOf(const std::string& path, dev_t device)
{
    std::string top = parentOf(path);
    while (top != "/") {
        const std::string up = parentOf(top);
        struct stat st;
        if (lstat(up.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

// The trash folders GIO chooses from for an entry on `device`, in its order:
// the user's trash for the home file system, else the shared and then the
// private top-directory trash.
std::vector<TrashPlace> trashesFor(const std::string& path, dev_t device)
{
    struct stat home;
    if (stat(g_get_home_dir(), &home) == 0 && home.st_dev == device)
        return {TrashPlace{joined(g_get_user_data_dir(), "Trash"), {}, false}};
    const std::string top = topdirOf(path, device);
    const std::string uid = std::to_string(geteuid());
    return {TrashPlace{joined(top, ".Trash") + "/" + uid, top, true}, TrashPlace{joined(top, ".Trash-" + uid), top, false}};
}

// GIO's name for the serial-th entry of that name in one trash: the name
// itself, then ".N" inserted before the first dot.
std::string trashNameOf(const std::string& name, int serial)
{
    if (serial == 1)
        return name;
    const auto dot = name.find('.');
    const std::string number = "." + std::to_string(serial);
    return dot == std::string::npos ? name + number : name.substr(0, dot) + number + name.substr(dot);
}

std::string recordedPath(const std::string& path, const TrashPlace& place)
{
    if (place.topdir.empty())
        return path;
    return path.substr(place.topdir == "/" ? 1 : place.topdir.size() + 1);
}

std::string recordText(const std::string& path, const TrashPlace& place)
{
    const std::unique_ptr<char, decltype(&g_free)> escaped(
        g_uri_escape_string(recordedPath(path, place).c_str(), "/", FALSE), &g_free);
    char date[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return std::string("[Trash Info]\nPath=") + escaped.get() + "\nDeletionDate=" + date + "\n";
}

std::string percentDecoded(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            bytes += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// True when the record file holds a whole record whose Path= names `path`.
bool recordNames(const std::string& record, const std::string& path, const TrashPlace& place)
{
    const int fd = open(record.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string text;
    char buffer[4096];
    ssize_t got;
    while (text.size() < (1 << 16) && (got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    if (text.rfind("[Trash Info]\n", 0) != 0 || text.find("\nDeletionDate=") == std::string::npos)
        return false;
    const auto start = text.find("\nPath=");
    const auto end = start == std::string::npos ? start : text.find('\n', start + 1);
    if (end == std::string::npos)
        return false;
    const std::string named = percentDecoded(std::string_view(text).substr(start + 6, end - start - 6));
    return named == path || named == recordedPath(path, place);
}

// Replaces a record whole, keeping its mode; 0 or the error number, the
// record left as it was.
int rewriteRecord(const std::string& record, const std::string& text)
{
    const Descriptor folder(::open(parentOf(record).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat old {};
    if (!folder || ::lstat(record.c_str(), &old) != 0)
        return errno;
    return ReplaceThroughTemporary(folder.get(), nameOf(record), text, &old).error;
}

// rename(2) that never replaces what is at `to`; 0 or the error number.
int moveWithoutReplacing(const std::string& from, const std::string& to)
{
    return RenameWithoutReplacing(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str());
}

struct Trashed {
    TrashPlace place;
    std::string name;
};

// Where GIO put the entry `id` that was named `name`: the first trash name
// of its sequence that holds it, up to the first name GIO would have found
// free.
std::optional<Trashed> findTrashed(const std::vector<TrashPlace>& places, const std::string& name, const Identity& id)
{
    for (const TrashPlace& place : places) {
        for (int serial = 1; serial <= kMaxTrashNames; ++serial) {
            const std::string candidate = trashNameOf(name, serial);
            const std::optional<Identity> there = identityOf(trashedOf(place, candidate));
            if (there == id)
                return Trashed{place, candidate};
            if (!there && !identityOf(recordOf(place, candidate)))
                break;
        }
    }
    return std::nullopt;
}

// Checks a "yes" from GIO on the disk; see the class comment.
FsResult<Done> checkSent(const std::string& path, const Identity& id)
{
    if (identityOf(path) == id)
        return FsFailure{FsError::Other, "the trash reported it taken, but it is still in its place"};
    const std::optional<Trashed> trashed = findTrashed(trashesFor(path, id.device), nameOf(path), id);
    if (!trashed)
        return Done{}; // gone from its place, as GIO said; nothing more can be checked
    const std::string record = recordOf(trashed->place, trashed->name);
    if (recordNames(record, path, trashed->place))
        return Done{};
    const int error = rewriteRecord(record, recordText(path, trashed->place));
    if (error == 0)
        return Done{};
    const std::string inTrash = trashedOf(trashed->place, trashed->name);
    const int back = moveWithoutReplacing(inTrash, path);
    if (back == 0) {
        unlink(record.c_str());
        return FailureOfErrno(error, "the trash could not record where it came from");
    }
    return FsFailure{FsErrorOfErrno(error), "it is in the trash as " + inTrash +
                                                ", but the trash could not record where it came from (" +
                                                std::strerror(error) + ") and it could not be put back (" +
                                                std::strerror(back) + ")"};
}

// An overlong name keeps its first bytes, never cutting a UTF-8 sequence.
std::string shortened(const std::string& name)
{
    std::size_t cut = std::min(name.size(), kShortNameBytes);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut == 0 ? std::min(name.size(), kShortNameBytes) : cut);
}

// Moves an entry whose name GIO cannot record into the trash GIO would
// choose for it, under a shortened name: the record is written whole before
// the entry moves. Nullopt when that trash does not exist yet (GIO makes it,
// and fails with a long name only after making it).
std::optional<FsResult<Done>> moveOverlong(const std::string& path, const Identity& id)
{
    const std::vector<TrashPlace> places = trashesFor(path, id.device);
    const auto usable = std::find_if(places.begin(), places.end(), [](const TrashPlace& place) {
        struct stat shared;
        if (place.shared && (lstat(parentOf(place.folder).c_str(), &shared) != 0 || !S_ISDIR(shared.st_mode) ||
                             (shared.st_mode & S_ISVTX) == 0))
            return false;
        struct stat own;
        return lstat(place.folder.c_str(), &own) == 0 && S_ISDIR(own.st_mode) && own.st_uid == geteuid();
    });
    if (usable == places.end())
        return std::nullopt;
    for (const char* sub : {"/info", "/files"})
        if (mkdir((usable->folder + sub).c_str(), 0700) != 0 && errno != EEXIST)
            return FailureOfErrno(errno, "the trash cannot be made");
    const std::string stem = shortened(nameOf(path));
    const std::string text = recordText(path, *usable);
    for (int serial = 1; serial <= kMaxTrashNames; ++serial) {
        const std::string candidate = trashNameOf(stem, serial);
        const std::string record = recordOf(*usable, candidate);
        const int fd = open(record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return FailureOfErrno(errno, "its record in the trash cannot be made");
        int error = WriteAll(fd, text);
        if (error == 0 && fsync(fd) != 0)
            error = errno;
        if (close(fd) != 0 && error == 0)
            error = errno;
        if (error == 0)
            error = moveWithoutReplacing(path, trashedOf(*usable, candidate));
        if (error == 0)
            return Done{};
        unlink(record.c_str());
        if (error != EEXIST)
            return FailureOfErrno(error);
    }
    return FsFailure{FsError::Other, "the trash holds too many entries of that name"};
}

FsError kindOf(const GError& error)
{
    if (error.domain != G_IO_ERROR)
        return FsError::Other;
    switch (error.code) {
    case G_IO_ERROR_NOT_FOUND:
        return FsError::PathNotFound;
    case G_IO_ERROR_PERMISSION_DENIED:
        return FsError::PermissionDenied;
    case G_IO_ERROR_FILENAME_TOO_LONG:
        return FsError::TooLong;
    case G_IO_ERROR_INVALID_FILENAME:
        return FsError::BadFileName;
    default:
        return FsError::Other;
    }
}

// GIO's message without the entry's own path, which the caller names: what
// follows "<path>: " when it has that form, else the whole message.
std::string reasonOf(const GError& error, const std::string& path)
{
    const std::string message = error.message;
    const std::unique_ptr<char, decltype(&g_free)> shown(g_filename_display_name(path.c_str()), &g_free);
    const std::string named = std::string(shown.get()) + ": ";
    const auto at = message.find(named);
    return at == std::string::npos || at + named.size() == message.size() ? message
                                                                          : message.substr(at + named.size());
}

} // namespace

FsResult<Done> GioTrash::moveToTrash(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return FailureOfErrno(errno);
    const Identity id{st.st_dev, st.st_ino};
    const FsResult<std::string> resolved = canonical(path, id);
    if (!resolved)
        return resolved.failure();
    const std::string& place = resolved.value();
    // GIO would put a trash named by a relative path below the current folder.
    if (!g_path_is_absolute(g_get_user_data_dir()))
        return FsFailure{FsError::Other, "the user's trash has no fixed place (HOME or XDG_DATA_HOME is a relative path)"};

    if (nameOf(place).size() > kLongestGioName) {
        if (std::optional<FsResult<Done>> moved = moveOverlong(place, id))
            return std::move(*moved);
    }

    GError* error = nullptr;
    GFile* file = g_file_new_for_path(place.c_str());
    const bool sent = g_file_trash(file, nullptr, &error) != FALSE;
    g_object_unref(file);
    if (sent)
        return checkSent(place, id);
    const std::unique_ptr<GError, decltype(&g_error_free)> failed(error, &g_error_free);
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_FILENAME_TOO_LONG) && identityOf(place) == id) {
        if (std::optional<FsResult<Done>> moved = moveOverlong(place, id))
            return std::move(*moved);
    }
    return FsFailure{kindOf(*error), reasonOf(*error, place)};
}

} // namespace vacantix
