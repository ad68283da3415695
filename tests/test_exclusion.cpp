// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/FakeFileSystem.h"
#include "platform/PathRoot.h"
#include "scan/ExclusionRules.h"
#include "support/ScanDoubles.h"

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
                             "latin1 \xe9t\xe9", "cut \xe2\x80", "overlong \xc0\xaf", "surrogate \xed\xa0\x80", "\x80",
                             "overlong \xe0\x80\xaf", "overlong \xf0\x80\x80\xaf", "beyond \xf4\x90\x80\x80"})
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

TEST(IgnoreList, CaseIsIgnoredByTheUnicodeLowerCaseMappingAndBrokenUtf8MatchesOnlyItself)
{
    constexpr bool kWindowsCasing = kNativeSyntax == PathSyntax::Windows;
    struct Row {
        const char* entry;
        const char* name;
        bool ignored;
    };
    const Row rows[] = {
        {"\xcf\x89mega", "\xce\xa9MEGA", true},                                         // ωmega, ΩMEGA
        // ΟΔΟΣ, οδος: only the full mapping knows the final sigma.
        {"\xce\x9f\xce\x94\xce\x9f\xce\xa3", "\xce\xbf\xce\xb4\xce\xbf\xcf\x82", !kWindowsCasing},
        {"\xce\x9f\xce\x94\xce\x9f\xce\xa3", "\xce\xbf\xce\xb4\xce\xbf\xcf\x83", kWindowsCasing},
        {"\xd0\x9a\xd1\x8d\xd1\x88", "\xd0\x9a\xd0\xad\xd0\xa8", true},                 // Кэш, КЭШ
        {"\xd0\x81\xd0\xbb\xd0\xba\xd0\xb0", "\xd1\x91\xd0\x9b\xd0\x9a\xd0\x90", true}, // Ёлка, ёЛКА
        {"STRA\xe1\xba\x9e" "E", "stra\xc3\x9f" "e", true},                            // STRAẞE, straße
        {"STRASSE", "Stra\xc3\x9f" "e", false},                                         // lower-casing, not folding
        {"\xc3\x9cmlaut", "\xc3\xbcMLAUT", true},                                       // Ümlaut, üMLAUT
        {"DI\xc5\x9e", "di\xc5\x9f", true},                                             // DIŞ, diş: I is i everywhere
        {"\xc4\xb1l\xc4\xb1k", "ILIK", false},                                          // ılık: dotless ı is no i
        // İzmir: the full mapping (ICU, Linux) gives i + U+0307, the
        // one-for-one mapping of Windows a plain i.
        {"\xc4\xb0zmir", "i\xcc\x87zmir", !kWindowsCasing},
        {"\xc4\xb0zmir", "izmir", kWindowsCasing},
        {"Bad\xff", "Bad\xff", true}, // not UTF-8: byte for byte
        {"Bad\xff", "bad\xff", false},
        {"Bad\xff", "Bad\xef\xbf\xbd", false}, // nor the replacement character
        {"Bad\xfe", "Bad\xff", false},
        {"x\xc0\xaf", "x/", false},                 // an overlong "/" is not "/"
        {"\xed\xa0\x80", "\xed\xa0\x80", true},       // an encoded surrogate equals itself
        {"\xc3\x89t\xc3", "\xc3\xa9t\xc3", false},    // cut short after É: not lower-cased
    };
    MemorySettingsStore store;
    Settings settings(store);
    for (const Row& row : rows) {
        store.set("Text1", std::string("other\r\n") + row.entry);
        EXPECT_EQ(IsIgnoredName(settings, row.name), row.ignored) << row.entry << " / " << row.name;
    }
}

TEST(IgnoreList, AChangedListAppliesFromTheNextFolderOn)
{
    // Changes the stored list just before the search examines its second subfolder.
    struct ChangingHooks : test::RecordingHooks {
        std::function<void()> beforeSecond;
        bool stopRequested() override
        {
            if (++stopChecks == 2)
                beforeSecond();
            return false;
        }
    };
    FakeFileSystem fake;
    fake.add("/r", "a/\nb/\nc/\nd/");
    test::SearchSetup scan;
    ChangingHooks hooks;
    hooks.beforeSecond = [&] { scan.store.set("Text1", "C\r\nD"); };
    scan.store.set("Text1", "B\r\nD");
    SearchEmptyFoldersinFolder(fake, scan.settings, "/r", scan.results, hooks, nullptr);
    EXPECT_EQ(scan.relativeTo("/r"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(scan.settings.ignoreListParses(), 2u); // once per text, not once per folder
}
