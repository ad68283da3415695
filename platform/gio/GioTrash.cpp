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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
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
// The line that marks a record as written by this program; other programs
// ignore lines they do not know.
constexpr std::string_view kOurs = "\nX-Vacantix-Sent=1\n";
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

// The entry to move, reached without following a link.
struct Entry {
    Descriptor folder;      // its folder, for the *at calls
    std::string folderPath; // the folder's real path
    std::string name;
    FileIdentity identity; // the entry that was checked
};

// The folder holding what `path` names, reached without following a link
// below `root` (see ReachFolder), and the entry in it, which must be the
// one checked. "." and ".." are resolved by the system.
FsResult<Entry> Reach(std::string path, const std::optional<FileIdentity>& checked, const std::string& root)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (const std::string last = NameOf(path); last == "." || last == "..") {
        const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (!real)
            return FailureOfErrno(errno);
        path = real.get();
    }
    std::string name = NameOf(path);
    if (name.empty())
        return FsFailure{FsError::Other, "the root folder cannot go to the trash"};
    ReachedFolder folder = ReachFolder(ParentOf(path), root);
    if (!folder.fd && errno == ENOTDIR)
        return FsFailure{FsError::PathNotFound, std::string(kNotChecked)};
    if (!folder.fd)
        return FailureOfErrno(errno);
    const std::optional<struct stat> seen = LookAt(folder.fd.get(), name.c_str());
    if (!seen)
        return FailureOfErrno(errno);
    if (checked && IdentityOf(*seen) != *checked)
        return FsFailure{FsError::PathNotFound, std::string(kNotChecked)};
    return Entry{std::move(folder.fd), std::move(folder.realPath), std::move(name), IdentityOf(*seen)};
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
    return "[Trash Info]\nPath=" + PercentEncoded(recordedPath) + "\nDeletionDate=" + date + "\n" +
           std::string(kOurs.substr(1));
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

// An entry moved into the trash, and its record, still locked.
struct Moved {
    std::string name;
    Descriptor record;
};

// Reserves a record under a free trash name, locks it, writes `text` to it,
// and renames the entry into files/ under that name. The failure leaves no
// record behind.
FsResult<Moved> MoveIn(const Entry& entry, const TrashFolder& trash, const std::string& text)
{
    const std::string stem = entry.name.size() > kLongestWholeName ? Shortened(entry.name) : entry.name;
    for (int serial = 1; serial <= kMaxTrashNames; ++serial) {
        std::string candidate = TrashNameOf(stem, serial);
        const std::string record = candidate + std::string(kRecordSuffix);
        Descriptor file(::openat(trash.info(), record.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file && errno == EEXIST)
            continue;
        if (!file)
            return FailureOfErrno(errno, "its record in the trash cannot be made");
        // Locked before it says it is ours, so that no run tidying the
        // trash takes it for the record of a move that never happened.
        int error = ::flock(file.get(), LOCK_EX) == 0 ? WriteAll(file.get(), text) : errno;
        if (error != 0) {
            ::unlinkat(trash.info(), record.c_str(), 0);
            return FailureOfErrno(error, "its record in the trash cannot be written");
        }
        error = RenameWithoutReplacing(entry.folder.get(), entry.name.c_str(), trash.files(), candidate.c_str());
        if (error == 0)
            return Moved{std::move(candidate), std::move(file)};
        ::unlinkat(trash.info(), record.c_str(), 0);
        if (error != EEXIST) // else an entry without a record holds the name
            return FailureOfErrno(error);
    }
    return FsFailure{FsError::Other, "the trash holds too many entries of that name"};
}

// Removes the records of ours in the trash whose entry is not in files/: a
// run killed between writing a record and the move leaves one. A record is
// ours when it holds kOurs; one that another run still holds locked is
// left alone.
void RemoveOrphanRecords(const TrashFolder& trash)
{
    for (const std::string& record : NamesIn(trash.info())) {
        if (!record.ends_with(kRecordSuffix))
            continue;
        const std::string entry = record.substr(0, record.size() - kRecordSuffix.size());
        if (LookAt(trash.files(), entry.c_str()) || errno != ENOENT)
            continue;
        const Descriptor file(::openat(trash.info(), record.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        char text[4096];
        const ssize_t got = ::read(file.get(), text, sizeof text);
        if (got <= 0 || std::string_view(text, std::size_t(got)).find(kOurs) == std::string_view::npos)
            continue;
        const std::optional<struct stat> opened = LookAt(file.get(), "");
        const std::optional<struct stat> named = LookAt(trash.info(), record.c_str());
        if (!LookAt(trash.files(), entry.c_str()) && opened && named && IdentityOf(*opened) == IdentityOf(*named))
            ::unlinkat(trash.info(), record.c_str(), 0);
    }
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
    return move(path, std::nullopt, {});
}

FsResult<Done> GioTrash::moveCheckedToTrash(const std::string& path, const FileIdentity& checked,
                                            const std::string& root)
{
    return move(path, checked, root);
}

FsResult<Done> GioTrash::checkMoveToTrash(const std::string& path)
{
    const FsResult<Entry> entry = Reach(path, std::nullopt, {});
    if (!entry)
        return entry.failure();
    const FsResult<TrashFolder> trash =
        TrashFolder::For(entry.value().folder.get(), entry.value().folderPath, TrashFolder::Missing::Check);
    if (!trash)
        return trash.failure();
    return Done{};
}

FsResult<Done> GioTrash::move(const std::string& path, const std::optional<FileIdentity>& checked,
                              const std::string& root)
{
    FsResult<Entry> entry = Reach(path, checked, root);
    if (!entry)
        return entry.failure();
    if (betweenCheckAndMove_)
        betweenCheckAndMove_(path);
    const FsResult<TrashFolder> trash =
        TrashFolder::For(entry.value().folder.get(), entry.value().folderPath, TrashFolder::Missing::Make);
    if (!trash)
        return trash.failure();
    const std::string original = ChildPath(entry.value().folderPath, entry.value().name);
    if (tidied_.insert(trash.value().path()).second)
        RemoveOrphanRecords(trash.value());
    const FsResult<Moved> moved =
        MoveIn(entry.value(), trash.value(), RecordText(trash.value().recordedPath(original)));
    if (!moved)
        return moved.failure();
    return CheckArrived(entry.value(), trash.value(), moved.value().name);
}

} // namespace vacantix
