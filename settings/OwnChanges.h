// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vacantix {

// Seconds since 1970 by the program's clock.
[[nodiscard]] std::int64_t SecondsSinceEpoch();

// The folders a run changed itself by taking a folder out of them (to the
// trash, or removed), each with the time of its last such change, so that
// the run can tell its own change of a folder from somebody else's.
class OwnChanges {
public:
    // Notes that the run changed `folder` between `from` and `to`, in seconds
    // since 1970 by the program's clock.
    void note(const std::string& folder, std::int64_t from, std::int64_t to);

    // True when `modified`, the modification time `folder` has now, falls
    // within the run's last change of it: nobody changed it since. A second
    // either side counts too, as a file system's clock may run a little apart
    // from the program's.
    [[nodiscard]] bool madeAt(std::string_view folder, std::int64_t modified) const;

private:
    struct Span {
        std::int64_t from;
        std::int64_t to;
    };
    std::unordered_map<std::string, Span> spans_;
};

} // namespace vacantix
