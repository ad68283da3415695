// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/TreeDescription.h"

using namespace vacantix;

TEST(TreeDescription, AFileSizeIsDecimalDigitsAndNothingElse)
{
    using Kind = DescribedEntry::Kind;
    const auto entries = ParseTreeDescription(" A/f:007 \nA/g:0\nA/h\na:b:12\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].kind, Kind::File);
    EXPECT_EQ(entries[0].path, "A/f");
    EXPECT_EQ(entries[0].bytes, 7u);
    EXPECT_EQ(entries[1].bytes, 0u);
    EXPECT_EQ(entries[2].bytes, 1u);
    EXPECT_EQ(entries[3].path, "a:b");
    EXPECT_EQ(entries[3].bytes, 12u);

    // A typo must not build another tree than the one meant.
    for (const char* typo : {"A/f:5x", "A/f:-1", "A/f: 5", "A/f:+5", "A/f:0x10", "A/f:", "A/f:1.5"}) {
        SCOPED_TRACE(typo);
        EXPECT_THROW((void)ParseTreeDescription(typo), std::invalid_argument);
    }
    EXPECT_THROW((void)ParseTreeDescription("A/f:18446744073709551616"), std::out_of_range);
}
