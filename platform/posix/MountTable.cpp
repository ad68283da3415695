// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/MountTable.h"

#include <algorithm>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vacantix {

bool MountsBelow::fileSystemTop(std::string_view folder) const
{
    const std::string_view part = partBelow(folder);
    return part.empty() ? topIsMountPoint_ : mountedOnPart(part);
}

std::string_view MountsBelow::partBelow(std::string_view folder) const
{
    std::string_view part = folder.size() > givenLength_ ? folder.substr(givenLength_) : std::string_view{};
    while (part.starts_with('/'))
        part.remove_prefix(1);
    return part;
}

bool MountsBelow::mountedOnPart(std::string_view part) const
{
    return !part.empty() && std::find(below_.begin(), below_.end(), part) != below_.end();
}

std::vector<std::string> MountPointsOf(std::string_view mountinfo)
{
    // "ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS ...", blank-separated,
    // with blanks, tabs, line feeds and backslashes in paths as \ooo.
    std::vector<std::string> points;
    while (!mountinfo.empty()) {
        const std::size_t end = std::min(mountinfo.find('\n'), mountinfo.size());
        std::string_view line = mountinfo.substr(0, end);
        mountinfo.remove_prefix(std::min(end + 1, mountinfo.size()));
        for (int field = 0; field < 4 && !line.empty(); ++field)
            line.remove_prefix(std::min(line.find(' '), line.size() - 1) + 1);
        const std::string_view escaped = line.substr(0, line.find(' '));
        if (escaped.empty())
            continue;
        std::string point;
        for (std::size_t i = 0; i < escaped.size(); ++i) {
            const auto octal = [&](std::size_t k) { return escaped[i + k] >= '0' && escaped[i + k] <= '7'; };
            if (escaped[i] == '\\' && i + 3 < escaped.size() && octal(1) && octal(2) && octal(3)) {
                point.push_back(static_cast<char>((escaped[i + 1] - '0') * 64 + (escaped[i + 2] - '0') * 8 +
                                                  (escaped[i + 3] - '0')));
                i += 3;
            } else {
                point.push_back(escaped[i]);
            }
        }
        points.push_back(std::move(point));
    }
    return points;
}

struct MountTable::State {
    std::mutex mutex;
    // The table kept open: the kernel marks it for poll() when it changes,
    // until it is read again.
    int watch = -1;
    bool loaded = false;
    std::vector<std::string> points;

    // Reads the table again through `watch`; false when it cannot.
    bool load()
    {
        if (watch < 0)
            watch = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
        if (watch < 0 || ::lseek(watch, 0, SEEK_SET) != 0)
            return false;
        std::string text;
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(watch, buffer, sizeof buffer);
            if (got < 0)
                return false;
            if (got == 0)
                break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        points = MountPointsOf(text);
        loaded = true;
        return true;
    }

    [[nodiscard]] bool changed() const
    {
        pollfd watched{watch, POLLPRI, 0};
        return ::poll(&watched, 1, 0) != 0;
    }
};

MountTable::MountTable() : state_(std::make_unique<State>()) {}

MountTable::~MountTable()
{
    if (state_->watch >= 0)
        ::close(state_->watch);
}

MountTable& MountTable::Instance()
{
    static MountTable table;
    return table;
}

std::shared_ptr<const MountsBelow> MountTable::below(const std::string& realTop, std::string_view givenTop)
{
    const std::lock_guard lock(state_->mutex);
    if ((!state_->loaded || state_->changed()) && !state_->load())
        return nullptr;
    const bool rootTop = realTop == "/";
    bool topIsMountPoint = rootTop;
    std::vector<std::string> below;
    for (const std::string& point : state_->points) {
        if (point == realTop) {
            topIsMountPoint = true;
        } else if (point.size() > realTop.size() && point.starts_with(realTop) &&
                   (rootTop || point[realTop.size()] == '/')) {
            below.push_back(point.substr(realTop.size() + (rootTop ? 0 : 1)));
        }
    }
    return std::make_shared<const MountsBelow>(givenTop.size(), topIsMountPoint, std::move(below));
}

} // namespace vacantix
