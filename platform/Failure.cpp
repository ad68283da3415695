// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Failure.h"

namespace vacantix {

std::string DescribeError(int number)
{
    switch (number) {
    case Overflow: return "Overflow";
    case SubscriptOutOfRange: return "Subscript out of range";
    case TypeMismatch: return "Type mismatch";
    case BadFileName: return "Bad file name or number";
    case FileNotFound: return "File not found";
    case PermissionDenied: return "Permission denied";
    case PathNotFound: return "Path not found";
    case OtherError: return "Invalid procedure call or argument";
    }
    return "Error " + std::to_string(number);
}

Failure MakeFailure(int number)
{
    return Failure(number, DescribeError(number));
}

} // namespace vacantix
