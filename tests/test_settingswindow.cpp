// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window's load and changes against its core, with a window
// of no toolkit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/FakeFileSystem.h"
#include "settings/SettingsWindow.h"
#include "support/FakeViews.h"
#include "support/ScriptedPrompter.h"

namespace vacantix {
namespace {

using ::testing::HasSubstr;

struct Opened {
    Opened() { window.attach(view); }

    MemorySettingsStore store;
    Settings settings{store};
    test::ScriptedPrompter prompter;
    FakeFileSystem fs;
    SettingsWindow window{settings, prompter, fs, "/program"};
    test::FakeSettingsView view{window};
};

TEST(SettingsWindowCore, ValuesThatDoNotFitReportTheirStepAndKeepTheDesign)
{
    Opened o;
    o.store.set(kCombo1, "2");
    o.store.set(kCheck1, "");
    o.store.set(kCheck2, "-1");
    o.store.set(kCheck3, "yes");
    o.store.set(kText1, "Keep\r\nThese");
    o.window.Form_Load();

    const auto& reports = o.prompter.errorReports();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_THAT(reports[0], HasSubstr("\r\nin Vacantix2021/08/31.Form2.Form_Load at line 108\r\r"));
    EXPECT_THAT(reports[1], HasSubstr("Type mismatch\r\nin Vacantix2021/08/31.Form2.Form_Load at line 110"));
    EXPECT_THAT(reports[2], HasSubstr("at line 112"));
    EXPECT_THAT(reports[3], HasSubstr("Type mismatch\r\nin Vacantix2021/08/31.Form2.Form_Load at line 114"));

    EXPECT_EQ(o.view.deleteMode, -1);
    EXPECT_EQ(o.view.items, (std::vector<std::string>{"Delete to recycle bin", "Delete directly"}));
    EXPECT_TRUE(o.view.options.empty()) << "each box as designed, unchecked";
    EXPECT_EQ(o.view.ignoreList, "Keep\r\nThese");

    // Nothing that failed was written over.
    EXPECT_EQ(o.store.get(kCombo1), "2");
    EXPECT_EQ(o.store.get(kCheck1), "");
    EXPECT_EQ(o.store.get(kCheck3), "yes");
}

} // namespace
} // namespace vacantix
