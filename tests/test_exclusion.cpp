// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "scan/ExclusionRules.h"

using namespace vacantix;

TEST(IgnoreList, DefaultListMatchesWholeNamesInAnyCase)
{
    MemorySettingsStore store;
    Settings settings(store);
    for (const char* name : {"System Volume Information", "recycler", "$Recycle.Bin"})
        EXPECT_TRUE(IsIgnoredName(settings, name)) << name;
    for (const char* name : {"$NtUninstallKB12345$", "RECYCLER ", ""})
        EXPECT_FALSE(IsIgnoredName(settings, name)) << name;
}

TEST(IgnoreList, OnlyCrLfSeparatesAndEmptyEntriesMatchNothing)
{
    MemorySettingsStore store;
    Settings settings(store);
    store.set("Text1", "alpha\nbeta");
    EXPECT_FALSE(IsIgnoredName(settings, "alpha"));
    EXPECT_TRUE(IsIgnoredName(settings, "ALPHA\nbeta"));

    store.set("Text1", "\r\n\r\n RECYCLER\r\n/srv/Data/Old\r\n");
    EXPECT_FALSE(IsIgnoredName(settings, ""));
    EXPECT_FALSE(IsIgnoredName(settings, "RECYCLER"));
    EXPECT_TRUE(IsIgnoredName(settings, " recycler"));
    EXPECT_TRUE(IsIgnoredName(settings, "/srv/data/old"));

    store.set("Text1", "");
    EXPECT_FALSE(IsIgnoredName(settings, "RECYCLER"));
}

TEST(SystemFolders, WholeTreesOnlyWithExactCase)
{
    PosixFileSystem posix;
    for (const char* path : {"/usr", "/usr/share/doc", "/proc/1", "/lib64/x"})
        EXPECT_TRUE(IsInSystemFolder(posix, path)) << path;
    for (const char* path : {"/usrlocal", "/home/usr", "/USR/share", "/tmp/x", "/"})
        EXPECT_FALSE(IsInSystemFolder(posix, path)) << path;
}

TEST(ProtectedFolders, ExactlyTheTwoValuesAndNeverTheRoot)
{
    FakeFileSystem fake;
    fake.add("/d", "a/\nb/\nc/\ne/");
    fake.setAttributes("/d/a", 22);
    fake.setAttributes("/d/b", 1046);
    fake.setAttributes("/d/c", 23);
    fake.setAttributes("/d/e", 54);
    fake.setAttributes("/", 22);
    for (const char* folder : {"/d/a", "/d/b"})
        EXPECT_TRUE(IsProtectedFolder(fake, folder)) << folder;
    for (const char* folder : {"/d/c", "/d/e", "/", "/d"})
        EXPECT_FALSE(IsProtectedFolder(fake, folder)) << folder;

    fake.fail("/d/e", FakeFileSystem::Op::Attributes, FsError::PermissionDenied);
    try {
        (void)IsProtectedFolder(fake, "/d/e");
        ADD_FAILURE() << "an unreadable attribute value must fail";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), PermissionDenied);
    }

    PosixFileSystem posix;
    EXPECT_FALSE(IsProtectedFolder(posix, "/no/such/folder")); // nothing to read on POSIX
}

TEST(ProtectedFolders, MountPointsAndLostAndFoundAtTheTopOfAFileSystem)
{
    FakeFileSystem fake;
    fake.add("/", "lost+found/\nm/lost+found/\nm/d/lost+found/\nd/lost+found/\nlink->m");
    fake.mount("/m");
    for (const char* folder : {"/lost+found", "/m", "/m/lost+found", "/m/"})
        EXPECT_TRUE(IsProtectedFolder(fake, folder)) << folder;
    for (const char* folder : {"/", "/m/d", "/m/d/lost+found", "/d/lost+found", "/link"})
        EXPECT_FALSE(IsProtectedFolder(fake, folder)) << folder;
}

TEST(UnsafeNames, ControlCharactersQuestionMarkAndBrokenUtf8)
{
    for (const char* name : {"tab\there", "what?", "del\x7f",
                             "c1\xc2\x80", "c1\xc2\x9f", // U+0080, U+009F
                             "latin1 \xe9t\xe9", "cut \xe2\x80", "overlong \xc0\xaf", "surrogate \xed\xa0\x80", "\x80"})
        EXPECT_TRUE(HasUnsafeCharacters(name)) << name;
    for (const char* name : {"", "Photos \xe2\x80\x93 2019", "\xc2\xa0nbsp \xc3\xa9t\xc3\xa9", "emoji \xf0\x9f\x93\x81",
                             "~$!#%&'()+,-.;=@[]^_`{}"})
        EXPECT_FALSE(HasUnsafeCharacters(name)) << name;
}

TEST(UnsafeNames, TheEnumerationAlsoRefusesDotsAndOverlongNames)
{
    FakeFileSystem fake;
    fake.setLimits(8, 4096);
    for (const char* name : {".", "..", "12345678"})
        EXPECT_TRUE(IsRefusedSubfolderName(fake, name)) << name;
    for (const char* name : {"1234567", ".hidden"})
        EXPECT_FALSE(IsRefusedSubfolderName(fake, name)) << name;
}
