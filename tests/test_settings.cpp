// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unordered_set>

#include "platform/Failure.h"
#include "platform/qt/QtSettingsStore.h"
#include "settings/Settings.h"
#include "support/PrivateHome.h"

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

TEST(QtSettingsStore, ValuesPersistAcrossInstancesAndKeepEmptyText)
{
    {
        QtSettingsStore store;
        EXPECT_FALSE(store.get("Check2").has_value());
        store.set("Check2", "0");
        store.set("Text1", "");
        store.set("Combo1", "a\r\nb");
    }
    QtSettingsStore again;
    EXPECT_EQ(again.get("Check2"), "0");
    EXPECT_EQ(again.get("Text1"), "");
    EXPECT_EQ(again.get("Combo1"), "a\r\nb");
    EXPECT_TRUE(again.location().contains("Quillmark"));
    EXPECT_TRUE(again.location().startsWith(QString::fromStdString(test::privateHome())));
}

TEST(QtSettingsStore, HandEditedValuesWithCommasReadAsTheirText)
{
    // Values as an editor may leave them in the file, and the text each stands for.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Cache, keep", "Cache, keep"},
        {"\"Cache, keep\"", "Cache, keep"},
        {"a, b, c", "a, b, c"},
        {"a,b", "a, b"},
        {"a\\r\\nb, c", "a\r\nb, c"},
        {"x,", "x, "},
        {"plain text", "plain text"},
    };
    const std::filesystem::path file = std::filesystem::path(test::privateHome()) / "config/Quillmark/Vacantix.conf";
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "[Vacantix]\n";
        for (std::size_t i = 0; i < cases.size(); ++i)
            out << "Case" << i << '=' << cases[i].first << '\n';
        out << "Text1=Cache, keep\n";
    }
    {
        QtSettingsStore store;
        ASSERT_EQ(store.location().toStdString(), file.string());
        for (std::size_t i = 0; i < cases.size(); ++i)
            EXPECT_EQ(store.get("Case" + std::to_string(i)), cases[i].second) << cases[i].first;
        Settings settings(store);
        EXPECT_EQ(settings.ignoreEntries(), std::vector<std::string>{"cache, keep"});
    }

    // What the program writes reads back unchanged, whatever it holds.
    const std::vector<std::string> written = {"Cache, keep", "a,b", " lead ", "q\"uote", "a;b", "=x",
                                              "@Invalid()", "back\\slash", "x\r\ny, z\r\n", "\xcf\x89mega, \xce\xa9"};
    {
        QtSettingsStore store;
        for (std::size_t i = 0; i < written.size(); ++i)
            store.set("Case" + std::to_string(i), written[i]);
    }
    QtSettingsStore again;
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(again.get("Case" + std::to_string(i)), written[i]) << written[i];
    std::filesystem::remove(file);
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

    // The platform store converts a long text once while it is unchanged.
    QtSettingsStore qt;
    const std::string longText(1 << 20, 'x');
    qt.set("Text1", longText);
    const auto first = qt.getShared("Text1");
    EXPECT_EQ(qt.getShared("Text1"), first);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, longText);
    qt.set("Text1", "other");
    EXPECT_EQ(*qt.getShared("Text1"), "other");
    Settings overQt(qt);
    OverlaySettingsStore overlay(qt);
    Settings overOverlay(overlay);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(overQt.ignoreList().names.contains("other") && overOverlay.ignoreList().names.contains("other"));
    EXPECT_EQ(overQt.ignoreListParses() + overOverlay.ignoreListParses(), 2u);
    std::filesystem::remove(qt.location().toStdString());
}
