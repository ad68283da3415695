// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/HoldingFolder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/Notices.h"
#include "platform/posix/FreshName.h"
#include "platform/posix/PosixFailure.h"
#include "platform/posix/PosixIo.h"

namespace vacantix {

namespace {

constexpr std::string_view kPrefix = ".vacantix-removing-";
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

FsResult<HoldingFolder> HoldingFolder::Make(int folder)
{
    const std::string name = CreateUnderFreshName(
        kPrefix.data(), [folder](const char* fresh) { return ::mkdirat(folder, fresh, 0700) == 0; });
    if (name.empty())
        return FailureOfErrno(errno);
    Descriptor fd(::openat(folder, name.c_str(), kFolderFlags));
    if (!fd || ::flock(fd.get(), LOCK_EX) != 0) {
        const int error = errno;
        ::unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        return FailureOfErrno(error);
    }
    return HoldingFolder(std::move(fd), name);
}

bool HoldingFolder::IsHoldingName(std::string_view name)
{
    return name.size() == kPrefix.size() + 8 && name.starts_with(kPrefix) &&
           std::all_of(name.begin() + kPrefix.size(), name.end(), [](char c) {
               return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f');
           });
}

bool HoldingFolder::PutBack(int folder, const std::string& folderPath, const std::string& name)
{
    const Descriptor held(::openat(folder, name.c_str(), kFolderFlags));
    if (!held || ::flock(held.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    const std::string heldPath = ChildPath(folderPath, name);
    for (const std::string& entry : NamesIn(held.get())) {
        const std::string home = ChildPath(folderPath, entry);
        const std::string aside = ChildPath(heldPath, entry);
        const int error = RenameWithoutReplacing(held.get(), entry.c_str(), folder, entry.c_str());
        if (error == 0)
            PostNotice("put back '" + home + "', which a run that was stopped had set aside as '" + aside + "'");
        else if (error == EEXIST)
            PostNotice("'" + aside + "' stays where a run that was stopped set it aside, since '" + home +
                       "' exists");
        else
            PostNotice("'" + aside + "' could not be put back to '" + home + "': " + std::strerror(error));
    }
    return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace vacantix
