// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

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
