// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/ErrorReport.h"
#include "support/ScriptedPrompter.h"

using namespace vacantix;
using vacantix::test::ScriptedPrompter;

namespace {
constexpr std::string_view kButton = "in Vacantix2021/08/31.Form1.PushButton4_Click ";
}

TEST(ErrorReport, TextHasItsFixedForm)
{
    EXPECT_EQ(ErrorReportText("Permission denied", kButton, 112),
              "Permission denied\r\nin Vacantix2021/08/31.Form1.PushButton4_Click at line 112\r\r"
              "Please email screenshot of this message to " +
                  std::string(kSupportAddress));
    // An empty error text still leaves the line end, so the box opens with an empty line.
    EXPECT_TRUE(ErrorReportText("", kButton, 100).starts_with("\r\nin Vacantix2021"));
    EXPECT_NE(ErrorReportText("", "in TovrinTitle2021/08/31.AddFolder.GetSubDirectories2016 ", 100)
                  .find("GetSubDirectories2016 at line 100\r\r"),
              std::string::npos);
}

TEST(ErrorReport, TrapReportsEachFailedStepAndGoesOn)
{
    ScriptedPrompter prompter;
    Trap trap(prompter, kButton);
    std::vector<int> ran;
    EXPECT_FALSE(trap.step(100, [&] { throw MakeFailure(PathNotFound); }));
    EXPECT_TRUE(trap.step(102, [&] { ran.push_back(102); }));
    EXPECT_FALSE(trap.step(104, [&] { throw std::runtime_error("Out of memory"); }));
    trap.step(106, [&] { ran.push_back(106); });

    EXPECT_EQ(ran, (std::vector<int>{102, 106}));
    ASSERT_EQ(prompter.errorReports().size(), 2u);
    EXPECT_TRUE(prompter.errorReports()[0].starts_with("Path not found\r\nin Vacantix2021/08/31.Form1."
                                                     "PushButton4_Click at line 100\r\r"));
    EXPECT_TRUE(prompter.errorReports()[1].starts_with("Out of memory\r\n"));
    EXPECT_NE(prompter.errorReports()[1].find("at line 104\r\r"), std::string::npos);
    EXPECT_EQ(trap.reports(), 2);
}

TEST(ErrorReport, AFailedConditionGoesOnInsideTheBranch)
{
    ScriptedPrompter prompter;
    Trap trap(prompter, kButton);
    EXPECT_TRUE(trap.test(108, [&]() -> bool { throw MakeFailure(TypeMismatch); }));
    EXPECT_FALSE(trap.test(110, [] { return false; }));
    EXPECT_EQ(trap.value(114, []() -> int { throw MakeFailure(Overflow); }, 7), 7);
    EXPECT_EQ(trap.value(116, [] { return 3; }, 7), 3);
    ASSERT_EQ(prompter.errorReports().size(), 2u);
    EXPECT_NE(prompter.errorReports()[0].find("at line 108"), std::string::npos);
    EXPECT_TRUE(prompter.errorReports()[1].starts_with("Overflow\r\n"));
}
