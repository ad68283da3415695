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
    EXPECT_TRUE(IsIgnoredName(settings, "System Volume Information"));
    EXPECT_TRUE(IsIgnoredName(settings, "recycler"));
    EXPECT_TRUE(IsIgnoredName(settings, "$Recycle.Bin"));
    EXPECT_FALSE(IsIgnoredName(settings, "$NtUninstallKB12345$"));
    EXPECT_FALSE(IsIgnoredName(settings, "RECYCLER "));
    EXPECT_FALSE(IsIgnoredName(settings, ""));
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
    EXPECT_TRUE(IsInSystemFolder(posix, "/usr"));
    EXPECT_TRUE(IsInSystemFolder(posix, "/usr/share/doc"));
    EXPECT_TRUE(IsInSystemFolder(posix, "/proc/1"));
    EXPECT_TRUE(IsInSystemFolder(posix, "/lib64/x"));
    EXPECT_FALSE(IsInSystemFolder(posix, "/usrlocal"));
    EXPECT_FALSE(IsInSystemFolder(posix, "/home/usr"));
    EXPECT_FALSE(IsInSystemFolder(posix, "/USR/share"));
    EXPECT_FALSE(IsInSystemFolder(posix, "/tmp/x"));
    EXPECT_FALSE(IsInSystemFolder(posix, "/"));
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
    EXPECT_TRUE(IsProtectedFolder(fake, "/d/a"));
    EXPECT_TRUE(IsProtectedFolder(fake, "/d/b"));
    EXPECT_FALSE(IsProtectedFolder(fake, "/d/c"));
    EXPECT_FALSE(IsProtectedFolder(fake, "/d/e"));
    EXPECT_FALSE(IsProtectedFolder(fake, "/"));
    EXPECT_FALSE(IsProtectedFolder(fake, "/d"));

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

TEST(UnsafeNames, ControlCharactersQuestionMarkAndBrokenUtf8)
{
    EXPECT_TRUE(HasUnsafeCharacters("tab\there"));
    EXPECT_TRUE(HasUnsafeCharacters("what?"));
    EXPECT_TRUE(HasUnsafeCharacters("del\x7f"));
    EXPECT_TRUE(HasUnsafeCharacters("c1\xc2\x80"));     // U+0080
    EXPECT_TRUE(HasUnsafeCharacters("c1\xc2\x9f"));     // U+009F
    EXPECT_TRUE(HasUnsafeCharacters("latin1 \xe9t\xe9")); // not UTF-8
    EXPECT_TRUE(HasUnsafeCharacters("cut \xe2\x80"));   // truncated sequence
    EXPECT_TRUE(HasUnsafeCharacters("overlong \xc0\xaf"));
    EXPECT_TRUE(HasUnsafeCharacters("surrogate \xed\xa0\x80"));
    EXPECT_TRUE(HasUnsafeCharacters("\x80"));

    EXPECT_FALSE(HasUnsafeCharacters(""));
    EXPECT_FALSE(HasUnsafeCharacters("Photos \xe2\x80\x93 2019")); // en dash
    EXPECT_FALSE(HasUnsafeCharacters("\xc2\xa0nbsp \xc3\xa9t\xc3\xa9"));
    EXPECT_FALSE(HasUnsafeCharacters("emoji \xf0\x9f\x93\x81"));
    EXPECT_FALSE(HasUnsafeCharacters("~$!#%&'()+,-.;=@[]^_`{}"));
}

TEST(UnsafeNames, TheEnumerationAlsoRefusesDotsAndOverlongNames)
{
    FakeFileSystem fake;
    fake.setLimits(8, 4096);
    EXPECT_TRUE(IsRefusedSubfolderName(fake, "."));
    EXPECT_TRUE(IsRefusedSubfolderName(fake, ".."));
    EXPECT_TRUE(IsRefusedSubfolderName(fake, "12345678"));
    EXPECT_FALSE(IsRefusedSubfolderName(fake, "1234567"));
    EXPECT_FALSE(IsRefusedSubfolderName(fake, ".hidden"));
}
