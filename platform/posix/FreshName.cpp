// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix/FreshName.h"

#include <cerrno>
#include <cstdio>
#include <sys/random.h>

namespace vacantix {

std::string CreateUnderFreshName(const char* prefix, const std::function<bool(const char* name)>& create)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned char random[4]{};
        if (::getrandom(random, sizeof random, 0) != sizeof random)
            return {};
        char name[64];
        std::snprintf(name, sizeof name, "%s%02x%02x%02x%02x", prefix, random[0], random[1], random[2], random[3]);
        if (create(name))
            return name;
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

} // namespace vacantix
