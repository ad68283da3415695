// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Notices.h"

#include <mutex>
#include <utility>

namespace vacantix {

namespace {

std::mutex& NoticesLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& PostedNotices()
{
    static std::vector<std::string> notices;
    return notices;
}

} // namespace

void PostNotice(std::string text)
{
    const std::lock_guard<std::mutex> hold(NoticesLock());
    PostedNotices().push_back(std::move(text));
}

std::vector<std::string> TakeNotices()
{
    const std::lock_guard<std::mutex> hold(NoticesLock());
    return std::exchange(PostedNotices(), {});
}

} // namespace vacantix
