// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store of the window and the Linux command line: QSettings in
// the private home's configuration folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/qt/QtSettingsStore.h"
#include "settings/Settings.h"
#include "support/PrivateHome.h"

using namespace vacantix;

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

TEST(QtSettingsStore, ALongTextIsConvertedOnceWhileUnchanged)
{
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
