// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <functional>
#include <unordered_set>
#include <utility>

#include "platform/Failure.h"
#include "platform/PathRoot.h"
#include "scan/ExclusionRules.h"
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
    EXPECT_TRUE(settings.zeroByteFilesCountAsEmpty());
    EXPECT_TRUE(settings.skipSystemFolders());
    EXPECT_FALSE(settings.ignoreHiddenFolders());
    EXPECT_EQ(settings.deleteMode(), DeleteMode::Trash);
    EXPECT_EQ(settings.checkBoxState(Option::ZeroByteFilesCountAsEmpty), 1);
    EXPECT_EQ(settings.checkBoxState(Option::SkipSystemFolders), 1);
    EXPECT_EQ(settings.checkBoxState(Option::IgnoreHiddenFolders), 0);
    EXPECT_EQ(settings.deleteModePosition(), 0);
    EXPECT_EQ(settings.text1(), "System Volume Information\r\nRECYCLER\r\nRecycled\r\nNtUninstall\r\n$RECYCLE.BIN");
    EXPECT_EQ(settings.ignoreEntries(),
              (std::vector<std::string>{"system volume information", "recycler", "recycled", "ntuninstall",
                                        "$recycle.bin"}));
}

// Each option has its own rule for "on": "Check2" is on for any number but
// 0, "Check1" and "Check3" only for 1, and "Combo1" deletes directly only
// for 1. The window shows the stored number as it is.
TEST(Settings, EachOptionMeansWhatItsRuleSays)
{
    struct Row {
        const char* stored;
        int number; // as the window shows it, halves rounded to even
        bool zeroByteFiles, skipSystem, ignoreHidden, directly;
    };
    const Row rows[] = {
        {"0", 0, false, false, false, false},    {"1", 1, true, true, true, true},
        {" 1 ", 1, true, true, true, true},      {"2", 2, false, true, false, false},
        {"-1", -1, false, true, false, false},   {"1.5", 2, false, true, false, false},
        {"0.5", 0, false, false, false, false},  {"2.5", 2, false, true, false, false},
    };
    // One store for all rows: every read sees the write before it.
    MemorySettingsStore store;
    Settings settings(store);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        for (const std::string_view key : {kCheck1, kCheck2, kCheck3, kCombo1})
            store.set(key, row.stored);
        EXPECT_EQ(settings.zeroByteFilesCountAsEmpty(), row.zeroByteFiles);
        EXPECT_EQ(settings.skipSystemFolders(), row.skipSystem);
        EXPECT_EQ(settings.ignoreHiddenFolders(), row.ignoreHidden);
        EXPECT_EQ(settings.deleteMode(), row.directly ? DeleteMode::Directly : DeleteMode::Trash);
        for (const Option option :
             {Option::ZeroByteFilesCountAsEmpty, Option::SkipSystemFolders, Option::IgnoreHiddenFolders})
            EXPECT_EQ(settings.checkBoxState(option), row.number);
        EXPECT_EQ(settings.deleteModePosition(), row.number);
    }
}

TEST(Settings, ValuesThatAreNoSixteenBitNumberFailTheRead)
{
    MemorySettingsStore store;
    Settings settings(store);
    for (const char* text : {"", "abc", "1x", "--1", "."}) {
        store.set("Check1", text);
        EXPECT_EQ(failureNumber([&] { (void)settings.zeroByteFilesCountAsEmpty(); }), TypeMismatch) << text;
        EXPECT_EQ(failureNumber([&] { (void)settings.checkBoxState(Option::ZeroByteFilesCountAsEmpty); }),
                  TypeMismatch)
            << text;
    }
    for (const char* text : {"32768", "-32769", "99999999999999999999"}) {
        store.set("Combo1", text);
        EXPECT_EQ(failureNumber([&] { (void)settings.deleteMode(); }), Overflow) << text;
        EXPECT_EQ(failureNumber([&] { (void)settings.deleteModePosition(); }), Overflow) << text;
    }
    store.set("Combo1", "-32768");
    EXPECT_EQ(settings.deleteModePosition(), -32768);
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
        EXPECT_EQ(list.names, (decltype(list.names){"alpha", "/srv/old data", "beta"}));
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

namespace {

// A store that keeps no change count, as one other programs may change.
class UncountedStore final : public SettingsStore {
public:
    std::optional<std::string> get(std::string_view key) const override { return values.get(key); }
    void set(std::string_view key, std::string_view value) override { values.set(key, value); }
    MemorySettingsStore values;
};

} // namespace

// What a read made of a value is kept only while the store's change count
// says nothing changed: every write, through any kind of store, shows at the
// next read.
TEST(Settings, EveryWriteShowsAtTheNextReadWhateverTheStore)
{
    MemorySettingsStore memory;
    MemorySettingsStore base;
    OverlaySettingsStore overlay(base);
    UncountedStore uncounted;
    const std::vector<std::pair<const char*, std::function<void(std::string_view, std::string_view)>>> stores = {
        {"memory", [&](auto key, auto value) { memory.set(key, value); }},
        {"overlay, written below", [&](auto key, auto value) { base.set(key, value); }},
        {"overlay, overridden", [&](auto key, auto value) { overlay.override(key, value); }},
        {"uncounted, written behind its back", [&](auto key, auto value) { uncounted.values.set(key, value); }},
    };
    SettingsStore* const read[] = {&memory, &overlay, &overlay, &uncounted};
    for (std::size_t i = 0; i < stores.size(); ++i) {
        SCOPED_TRACE(stores[i].first);
        const Settings settings(*read[i]);
        const auto& write = stores[i].second;
        write(kCheck2, "0");
        write(kText1, "one");
        EXPECT_FALSE(settings.skipSystemFolders());
        EXPECT_TRUE(IsIgnoredName(settings, "ONE"));
        write(kCheck2, "x");
        EXPECT_EQ(failureNumber([&] { (void)settings.skipSystemFolders(); }), TypeMismatch);
        write(kCheck2, "1");
        write(kText1, "two");
        EXPECT_TRUE(settings.skipSystemFolders());
        EXPECT_FALSE(IsIgnoredName(settings, "one"));
        EXPECT_TRUE(IsIgnoredName(settings, "two"));
    }
}
