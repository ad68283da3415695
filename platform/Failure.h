// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace vacantix {

// The run-time error numbers the program tells apart. A failure carries one
// of them (or another number) and a description for the error report.
enum ErrorNumber : int {
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    PermissionDenied = 70,
    PathNotFound = 76,
    OtherError = 5, // "Invalid procedure call or argument": anything else
};

// A failure of one step: what a trapped procedure catches and reports, and
// what the scan engine's own traps tell apart by number.
class Failure : public std::runtime_error {
public:
    Failure(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    [[nodiscard]] int number() const noexcept { return number_; }
    [[nodiscard]] std::string description() const { return what(); }

private:
    int number_;
};

// The platform's text for one of the numbers above ("Permission denied").
std::string DescribeError(int number);

// A failure with the platform's text for its number.
[[nodiscard]] Failure MakeFailure(int number);

} // namespace vacantix
