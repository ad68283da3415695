// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "settings/Settings.h"

using namespace vacantix;

namespace {

int failureNumber(auto&& read)
{
    try {
        read();
    } catch (const Failure& failure) {
        return failure.number();
    }
    return 0;
}

} // namespace

TEST(Settings, EmptyStoreGivesTheDefaults)
{
    MemorySettingsStore store;
    Settings settings(store);
    EXPECT_EQ(settings.check1(), 1);
    EXPECT_EQ(settings.check2(), 1);
    EXPECT_EQ(settings.check3(), 0);
    EXPECT_EQ(settings.combo1(), 0);
    EXPECT_EQ(settings.text1(), "System Volume Information\r\nRECYCLER\r\nRecycled\r\nNtUninstall\r\n$RECYCLE.BIN");
    EXPECT_EQ(settings.ignoreEntries(),
              (std::vector<std::string>{"system volume information", "recycler", "recycled", "ntuninstall",
                                        "$recycle.bin"}));
}

TEST(Settings, StoredValuesAreConvertedOnEveryRead)
{
    MemorySettingsStore store;
    Settings settings(store);
    store.set("Check2", "2");
    store.set("Combo1", "-1");
    store.set("Check1", " 0 ");
    EXPECT_EQ(settings.check2(), 2);
    EXPECT_EQ(settings.combo1(), -1);
    EXPECT_EQ(settings.check1(), 0);
    store.set("Check1", "1");
    EXPECT_EQ(settings.check1(), 1);
    store.set("Check3", "1.5");
    EXPECT_EQ(settings.check3(), 2); // halves round to even
    store.set("Check3", "2.5");
    EXPECT_EQ(settings.check3(), 2);
}

TEST(Settings, ValuesThatAreNoSixteenBitNumberFailTheRead)
{
    MemorySettingsStore store;
    Settings settings(store);
    for (const char* text : {"", "abc", "1x", "--1", "."}) {
        store.set("Check1", text);
        EXPECT_EQ(failureNumber([&] { (void)settings.check1(); }), TypeMismatch) << text;
    }
    for (const char* text : {"32768", "-32769", "99999999999999999999"}) {
        store.set("Combo1", text);
        EXPECT_EQ(failureNumber([&] { (void)settings.combo1(); }), Overflow) << text;
    }
    store.set("Combo1", "-32768");
    EXPECT_EQ(settings.combo1(), -32768);
}

TEST(Settings, StoredEmptyIgnoreListStaysEmpty)
{
    MemorySettingsStore store;
    Settings settings(store);
    store.set("Text1", "");
    EXPECT_EQ(settings.text1(), "");
    EXPECT_TRUE(settings.ignoreEntries().empty());
}

TEST(Settings, IgnoreListSplitsAtCrLfOnlyAndFollowsEveryWrite)
{
    MemorySettingsStore store;
    Settings settings(store);
    store.set("Text1", "One\nTwo\r\n\r\nTHREE\r\n\rFour\r\n");
    EXPECT_EQ(settings.ignoreEntries(), (std::vector<std::string>{"one\ntwo", "three", "\rfour"}));
    store.set("Text1", "Ümlaut");
    EXPECT_EQ(settings.ignoreEntries(), (std::vector<std::string>{"ümlaut"}));
}

TEST(Settings, TheIgnoreListIsParsedOncePerStoredText)
{
    MemorySettingsStore store;
    Settings settings(store);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(settings.ignoreList().names.contains("recycler"));
    EXPECT_EQ(settings.ignoreListParses(), 1u);

    const std::string text = "Alpha\r\n/Srv/Old Data\r\nBETA\r\n\r\nalpha";
    store.set("Text1", text);
    for (int i = 0; i < 3; ++i) {
        const IgnoreList& list = settings.ignoreList();
        EXPECT_EQ(list.entries, (std::vector<std::string>{"alpha", "/srv/old data", "beta", "alpha"}));
        EXPECT_EQ(list.names, (std::unordered_set<std::string>{"alpha", "/srv/old data", "beta"}));
        EXPECT_EQ(list.paths, std::vector<std::string>{"/srv/old data"});
    }
    EXPECT_EQ(settings.ignoreListParses(), 2u);
    store.set("Text1", text); // written again: the same text is not parsed again
    EXPECT_EQ(settings.ignoreList().entries.size(), 4u);
    EXPECT_EQ(settings.ignoreListParses(), 2u);
    store.set("Text1", "");
    EXPECT_TRUE(settings.ignoreList().names.empty());
    EXPECT_EQ(settings.ignoreListParses(), 3u);
}

// A whole path in the ignore list may be written as the platform writes it:
// on Windows with backslashes or the long-path prefix, in any case.
TEST(Settings, WholePathEntriesTakeTheNativeForm)
{
    const bool windows = kNativeSyntax == PathSyntax::Windows;
    struct Row {
        const char* entry;
        const char* path; // as the engine writes it
        bool ignoredOnWindows;
        bool ignoredOnPosix;
    };
    const Row rows[] = {
        {R"(C:\Temp\Old)", "c:/temp/old", true, false},
        {R"(\\?\C:\Temp\Old)", "c:/temp/old", true, false},
        {R"(\\Server\Share\X)", "//server/share/x", true, false},
        {"/srv/Old", "/srv/old", true, true},
        {R"(/srv/a\b)", "/srv/a\\b", false, true},
    };
    for (const Row& row : rows) {
        MemorySettingsStore store;
        Settings settings(store);
        store.set("Text1", row.entry);
        SCOPED_TRACE(row.entry);
        EXPECT_EQ(settings.ignoreList().names.contains(row.path), windows ? row.ignoredOnWindows : row.ignoredOnPosix);
    }
}
