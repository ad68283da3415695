// SPDX-License-Identifier: GPL-3.0-or-later
// The test entry point where no private home is made (Windows): the suites
// it runs touch no file of the user's.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
