// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ErrorReport.h"

namespace vacantix {

std::string ErrorReportText(std::string_view errorText, std::string_view procedurePath, int line)
{
    std::string text;
    text.append(errorText);
    text.append("\r\n");
    text.append(procedurePath);
    text.append("at line ");
    text.append(std::to_string(line));
    text.append("\r\r");
    text.append("Please email screenshot of this message to ");
    text.append(kSupportAddress);
    return text;
}

void ShowErrorReport(Prompter& prompter, std::string_view errorText, std::string_view procedurePath,
                     int line)
{
    prompter.errorReport(ErrorReportText(errorText, procedurePath, line));
}

} // namespace vacantix
