// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vacantix::test {

// The lines of a program's output, each without its `end` (a line feed, or
// NUL for -0). Output that does not end with `end` fails the test: a program
// that stops in the middle of a line has cut it short.
inline std::vector<std::string> OutputLines(const std::string& text, char end = '\n')
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find(end); at != std::string::npos; at = text.find(end, start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    EXPECT_EQ(start, text.size()) << "the output does not end with its separator";
    return lines;
}

} // namespace vacantix::test
