// SPDX-License-Identifier: GPL-3.0-or-later
// Sending one entry to the trash, in four steps:
//  - its folder is reached: the links of the path as given are followed
//    once (the system resolves the folder's real path, "." and ".." too,
//    which a text rewrite would get wrong for "LINK/.."), then the folder is
//    opened from "/" along that real path without following any link, and
//    the entry in it must be the one checked;
//  - its trash is found, and made where missing (TrashFolder);
//  - a record is reserved under a free name and written whole, and the
//    entry is renamed from its folder's descriptor into files/ under that
//    name, never over anything;
//  - the move is checked: files/ holds the entry checked, and its folder is
//    still at the real path the record names; else the entry goes back and
//    its record goes.
#include "platform/gio/GioTrash.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/gio/TrashFolder.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

constexpr std::string_view kRecordSuffix = ".trashinfo";
// A name whose record's name would pass the file system's limit (with room
// for a ".N" that tells it from others of its name) is kept in the trash
// under its first bytes.
constexpr std::size_t kLongestWholeName = NAME_MAX - kRecordSuffix.size() - 8;
constexpr std::size_t kShortNameBytes = 200;
// Bounds the search for a free trash name.
constexpr int kMaxTrashNames = 100000;
constexpr std::string_view kNotChecked = "what is at its place now is not the folder that was checked";

FileIdentity IdentityOf(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The entry to move, reached without following a link.
struct Entry {
    Descriptor folder;      // its folder, for the *at calls
    std::string folderPath; // the folder's real path
    std::string name;
    FileIdentity identity; // the entry that was checked
};

// The real path of the folder that holds what `path` names, and its name.
FsResult<std::pair<std::string, std::string>> RealPlace(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::string name = NameOf(path);
    const bool dots = name == "." || name == "..";
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath((dots ? path : ParentOf(path)).c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return FailureOfErrno(errno);
    const std::string whole = dots ? std::string(real.get()) : Joined(real.get(), name);
    if (whole == "/" || NameOf(whole).empty())
        return FsFailure{FsError::Other, "the root folder cannot go to the trash"};
    return std::pair(ParentOf(whole), NameOf(whole));
}

FsResult<Entry> Reach(const std::string& path, const std::optional<FileIdentity>& checked)
{
    FsResult<std::pair<std::string, std::string>> place = RealPlace(path);
    if (!place)
        return place.failure();
    auto& [folderPath, name] = place.value();
    Descriptor folder = OpenFolderWithoutLinks(folderPath);
    if (!folder && errno == ENOTDIR)
        return FsFailure{FsError::PathNotFound, std::string(kNotChecked)};
    if (!folder)
        return FailureOfErrno(errno);
    const std::optional<struct stat> seen = LookAt(folder.get(), name.c_str());
    if (!seen)
        return FailureOfErrno(errno);
    if (checked && IdentityOf(*seen) != *checked)
        return FsFailure{FsError::PathNotFound, std::string(kNotChecked)};
    return Entry{std::move(folder), std::move(folderPath), std::move(name), IdentityOf(*seen)};
}

// The bytes of a path as a record's Path= holds them: every byte but the
// letters, digits, "-._~" and "/" percent-encoded.
std::string PercentEncoded(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            std::string_view("-._~/").find(c) != std::string_view::npos) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 15];
        }
    }
    return encoded;
}

std::string RecordText(const std::string& recordedPath)
{
    char date[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + PercentEncoded(recordedPath) + "\nDeletionDate=" + date + "\n";
}

// The serial-th trash name for entries named `stem`: the stem itself, then
// ".N" inserted before its first dot.
std::string TrashNameOf(const std::string& stem, int serial)
{
    if (serial == 1)
        return stem;
    const auto dot = stem.find('.');
    const std::string number = "." + std::to_string(serial);
    return dot == std::string::npos ? stem + number : stem.substr(0, dot) + number + stem.substr(dot);
}

// An overlong name keeps its first bytes, never cutting a UTF-8 sequence.
std::string Shortened(const std::string& name)
{
    std::size_t cut = std::min(name.size(), kShortNameBytes);
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut == 0 ? std::min(name.size(), kShortNameBytes) : cut);
}

// Reserves a record under a free trash name, writes `text` to it, and
// renames the entry into files/ under that name. The trash name, or the
// failure (the record removed again).
FsResult<std::string> MoveIn(const Entry& entry, const TrashFolder& trash, const std::string& text)
{
    const std::string stem = entry.name.size() > kLongestWholeName ? Shortened(entry.name) : entry.name;
    for (int serial = 1; serial <= kMaxTrashNames; ++serial) {
        const std::string candidate = TrashNameOf(stem, serial);
        const std::string record = candidate + std::string(kRecordSuffix);
        Descriptor file(::openat(trash.info(), record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file && errno == EEXIST)
            continue;
        if (!file)
            return FailureOfErrno(errno, "its record in the trash cannot be made");
        int error = WriteAll(file.get(), text);
        if (error == 0 && file.closeChecked() != 0)
            error = errno;
        if (error != 0) {
            ::unlinkat(trash.info(), record.c_str(), 0);
            return FailureOfErrno(error, "its record in the trash cannot be written");
        }
        error = RenameWithoutReplacing(entry.folder.get(), entry.name.c_str(), trash.files(), candidate.c_str());
        if (error == 0)
            return candidate;
        ::unlinkat(trash.info(), record.c_str(), 0);
        if (error != EEXIST) // else an entry without a record holds the name
            return FailureOfErrno(error);
    }
    return FsFailure{FsError::Other, "the trash holds too many entries of that name"};
}

// Checks a move on the disk; see the class comment.
FsResult<Done> CheckArrived(const Entry& entry, const TrashFolder& trash, const std::string& trashName)
{
    const std::optional<struct stat> arrived = LookAt(trash.files(), trashName.c_str());
    const Descriptor folderNow = OpenFolderWithoutLinks(entry.folderPath);
    const std::optional<struct stat> now = folderNow ? LookAt(folderNow.get(), "") : std::nullopt;
    const std::optional<struct stat> then = LookAt(entry.folder.get(), "");
    const bool stayed = now && then && IdentityOf(*now) == IdentityOf(*then);
    if (stayed && arrived && IdentityOf(*arrived) == entry.identity)
        return Done{};
    const std::string reason =
        stayed ? std::string(kNotChecked) : "its folder was moved while it was being sent to the trash";
    const int back = RenameWithoutReplacing(trash.files(), trashName.c_str(), entry.folder.get(), entry.name.c_str());
    if (back != 0)
        return FsFailure{FsError::Other, reason + "; it is in the trash as '" + trash.path() + "/files/" + trashName +
                                             "' and could not be put back: " + std::strerror(back)};
    ::unlinkat(trash.info(), (trashName + std::string(kRecordSuffix)).c_str(), 0);
    return FsFailure{FsError::PathNotFound, reason};
}

} // namespace

FsResult<Done> GioTrash::moveToTrash(const std::string& path)
{
    return move(path, std::nullopt);
}

FsResult<Done> GioTrash::moveCheckedToTrash(const std::string& path, const FileIdentity& checked)
{
    return move(path, checked);
}

FsResult<Done> GioTrash::move(const std::string& path, const std::optional<FileIdentity>& checked)
{
    FsResult<Entry> entry = Reach(path, checked);
    if (!entry)
        return entry.failure();
    if (betweenCheckAndMove_)
        betweenCheckAndMove_(path);
    const FsResult<TrashFolder> trash =
        TrashFolder::For(entry.value().folder.get(), entry.value().folderPath, TrashFolder::Missing::Make);
    if (!trash)
        return trash.failure();
    const std::string original = Joined(entry.value().folderPath, entry.value().name);
    const FsResult<std::string> moved =
        MoveIn(entry.value(), trash.value(), RecordText(trash.value().recordedPath(original)));
    if (!moved)
        return moved.failure();
    return CheckArrived(entry.value(), trash.value(), moved.value());
}

} // namespace vacantix
