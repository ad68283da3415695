// SPDX-License-Identifier: GPL-3.0-or-later
// Reading ahead on Windows changes nothing the walk sees: on random trees on
// a real disk (under Wine, its C: drive), the search and the final pass give
// the same results, hook calls and verdicts with helper threads as without.
#include <gtest/gtest.h>

#include "platform/ReadAheadFileSystem.h"
#include "platform/TreeDescription.h"
#include "platform/win/WinFileSystem.h"
#include "support/ModeComparison.h"
#include "tests/win/WinTestSupport.h"

namespace vacantix {
namespace {

using namespace vacantix::test;

// Makes the folders and files of `description` below `top`.
void MakeTree(const std::string& top, const std::string& description)
{
    WinFileSystem fs;
    for (const DescribedEntry& entry : ParseTreeDescription(description)) {
        const std::string path = ChildPath(top, entry.path);
        if (entry.kind == DescribedEntry::Kind::Folder)
            ASSERT_TRUE(fs.createFolder(path).ok()) << path;
        else
            ASSERT_TRUE(wintest::MakeFile(path, static_cast<std::size_t>(entry.bytes))) << path;
    }
}

TEST(WinReadAhead, GivesWhatTheDiskGivesOnRandomTrees)
{
    struct Mode {
        unsigned readers;
        ReadAheadFileSystem::Limits limits;
    };
    const Mode modes[] = {{0, {}}, {2, {}}, {1, {2, 1}}};
    const ScanOptions options[] = {{}, {"1", "1", "skip", -1}, {"1", "0", "", 25}};
    for (unsigned seed = 1; seed <= 3; ++seed) {
        Names folders;
        const std::string top = wintest::FreshFolder("readahead");
        ASSERT_NO_FATAL_FAILURE(MakeTree(top, RandomTree(seed, 60, folders, false)));
        for (const ScanOptions& option : options) {
            WinFileSystem alone;
            const ScanOutcome expected = ScanAndFinish(alone, top, option);
            ASSERT_FALSE(expected.found.empty()) << "seed " << seed;
            for (const Mode& mode : modes) {
                WinFileSystem disk;
                ReadAheadFileSystem ahead(disk, mode.readers, [] { return std::make_unique<WinFileSystem>(); },
                                          mode.limits);
                EXPECT_EQ(ScanAndFinish(ahead, top, option), expected)
                    << "seed " << seed << ", " << mode.readers << " readers, window " << mode.limits.listings;
            }
        }
    }
}

} // namespace
} // namespace vacantix
