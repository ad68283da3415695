// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ApplicationTitle.h"

namespace vacantix {

namespace {

std::string& title()
{
    static std::string value{kProductName};
    return value;
}

std::string_view WithoutLastWord(std::string_view text)
{
    const auto blank = text.rfind(' ');
    return blank == std::string_view::npos ? text : text.substr(0, blank);
}

} // namespace

std::string ApplicationTitleFor(std::string_view productName)
{
    if (productName.find(' ') == std::string_view::npos)
        return std::string(productName);
    std::string_view result = WithoutLastWord(productName);
    while (result.size() > 40 && result.find(' ') != std::string_view::npos)
        result = WithoutLastWord(result);
    return std::string(result);
}

void SetApplicationTitle()
{
    title() = ApplicationTitleFor(kProductName);
}

const std::string& ApplicationTitle()
{
    return title();
}

} // namespace vacantix
