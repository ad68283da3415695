// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's "Add One Folder", "Settings" and "Load Sample/Example
// Folders", driven as a user would through the scripted prompter.
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTreeView>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/qt/Form1.h"
#include "base/qt/Appearance.h"
#include "platform/posix/PosixFileSystem.h"
#include "roots/SampleFolders.h"
#include "scan/ResultsList.h"
#include "settings/qt/Form2.h"
#include "support/ListTexts.h"
#include "support/PrivateHome.h"
#include "support/ResultsDoubles.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

namespace vacantix {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Kind = test::ScriptedPrompter::Kind;
using test::RecordingOpener;

// A program folder holding a copy of the shipped samples, as a fresh build
// or an unpacked program has it (without the empty folders git cannot keep).
class ProgramFolder {
public:
    ProgramFolder()
    {
        std::filesystem::copy(std::filesystem::path(VACANTIX_SOURCE_DIR) / "Samples", tree_.path("Samples"),
                              std::filesystem::copy_options::recursive);
    }
    [[nodiscard]] const std::string& root() const { return tree_.root(); }
    [[nodiscard]] std::string samples(std::string_view relative = {}) const
    {
        return relative.empty() ? tree_.path("Samples") : tree_.path("Samples/" + std::string(relative));
    }

private:
    test::TempTree tree_{"bin/"};
};

struct Window {
    explicit Window(const std::string& programFolder) : form(fs, settings, prompter, programFolder)
    {
        form.core().setFolderOpener(opener);
        form.core().Form_Load();
    }

    [[nodiscard]] std::vector<std::string> results()
    {
        auto found = test::Texts(form.core().results());
        std::sort(found.begin(), found.end());
        return found;
    }

    PosixFileSystem fs;
    MemorySettingsStore store;
    Settings settings{store};
    test::ScriptedPrompter prompter;
    RecordingOpener opener;
    Form1 form;
};

// Runs `act` on the settings window once it is open and modal.
void WhenSettingsOpen(std::function<void(Form2&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* settings = qobject_cast<Form2*>(window); settings && settings->isVisible()) {
                act(*settings);
                return;
            }
        }
        ADD_FAILURE() << "the settings window is not open";
    });
}

TEST(MainWindowRoots, SettingsOpensModallyAndAChangeStaysAfterClosing)
{
    ProgramFolder program;
    Window w(program.root());
    bool opened = false;
    WhenSettingsOpen([&](Form2& settings) {
        opened = true;
        EXPECT_TRUE(settings.isModal());
        EXPECT_EQ(settings.windowTitle(), "Settings");
        EXPECT_EQ(settings.check2()->checkState(), Qt::Checked);
        settings.check2()->click();
        settings.close();
    });
    w.form.button(Button::OpenSettings)->click();
    EXPECT_TRUE(opened);
    EXPECT_EQ(w.store.get(kCheck2), "0");

    WhenSettingsOpen([&](Form2& settings) {
        EXPECT_EQ(settings.check2()->checkState(), Qt::Unchecked);
        settings.pushButton7()->click();
    });
    w.form.button(Button::OpenSettings)->click();
    EXPECT_EQ(w.store.get(kCheck2), "0");
    EXPECT_THAT(w.prompter.errorReports(), IsEmpty());
}

TEST(MainWindowRoots, SettingsWindowKeepsTheButtonFaceUnderTheMainWindowsSkin)
{
    ProgramFolder program;
    std::filesystem::create_directories(program.root() + "/x");
    std::ofstream(program.root() + "/x/o.cjs") << "QWidget { background-color: rgb(1, 2, 3); }";
    Window w(program.root());
    ASSERT_EQ(w.form.grab().toImage().pixelColor(2, 2), QColor(1, 2, 3));

    QColor background;
    WhenSettingsOpen([&](Form2& settings) {
        background = settings.grab().toImage().pixelColor(2, 2);
        settings.close();
    });
    w.form.button(Button::OpenSettings)->click();
    EXPECT_EQ(background, ButtonFaceColor());
}

TEST(MainWindowSamples, StartUpMakesTheEmptySamplesAgainAfterTheyWereDeleted)
{
    ProgramFolder program;
    {
        Window w(program.root());
        EXPECT_THAT(w.prompter.shown(), IsEmpty());
    }
    for (const std::string_view folder : EmptySampleFolders())
        EXPECT_TRUE(std::filesystem::is_directory(program.samples(folder))) << folder;

    std::filesystem::remove(program.samples("This one is empty 1"));
    std::filesystem::remove_all(program.samples("A nest of empty folders/Level 1"));
    Window again(program.root());
    EXPECT_THAT(again.prompter.shown(), IsEmpty());
    EXPECT_TRUE(std::filesystem::is_empty(program.samples("This one is empty 1")));
    EXPECT_TRUE(std::filesystem::is_directory(program.samples("A nest of empty folders/Level 1/Level 2/Level 3")));
    EXPECT_EQ(again.form.core().sampleRoot(), program.samples());
}

TEST(MainWindowSamples, ScanOfTheSamplesFindsExactlyTheFoldersMeantToBeEmpty)
{
    ProgramFolder program;
    Window w(program.root());
    w.prompter.answerAsk(false);
    w.prompter.answerAsk(true);
    w.form.button(Button::LoadSamples)->click();
    EXPECT_THAT(w.opener.opened, IsEmpty());
    w.form.button(Button::LoadSamples)->click(); // the same root twice finds each folder twice
    EXPECT_THAT(w.opener.opened, ElementsAre(program.samples() + "/"));
    ASSERT_EQ(w.form.core().folderList().count(), 2u);
    EXPECT_EQ(w.form.core().folderList().text(2), program.samples() + "/");
    w.form.button(Button::Scan)->click();

    std::vector<std::string> expected;
    for (const char* folder :
         {".A hidden empty folder", "A nest of empty folders", "A nest of empty folders/Level 1",
          "A nest of empty folders/Level 1/Level 2", "A nest of empty folders/Level 1/Level 2/Level 3",
          "Only a zero-byte file", "This one is empty 1", "This one is empty 2"}) {
        expected.push_back(program.samples(folder));
        expected.push_back(program.samples(folder));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(w.results(), expected);
    EXPECT_THAT(w.prompter.messages(), ElementsAre("Done."));
    EXPECT_EQ(w.prompter.texts(Kind::Ask).size(), 2u);
    EXPECT_THAT(w.prompter.errorReports(), IsEmpty());

    // Without the zero-byte option, and ignoring hidden folders, two fewer.
    w.store.set(kCheck1, "0");
    w.store.set(kCheck3, "1");
    w.form.core().folderList().remove(2);
    w.form.button(Button::Scan)->click();
    const auto found = w.results();
    EXPECT_EQ(found.size(), 6u);
    EXPECT_EQ(std::count(found.begin(), found.end(), program.samples("Only a zero-byte file")), 0);
    EXPECT_EQ(std::count(found.begin(), found.end(), program.samples(".A hidden empty folder")), 0);

    // A level left unchecked stays in place, and so do the levels holding it.
    const std::string level2 = program.samples("A nest of empty folders/Level 1/Level 2");
    ResultsModel& results = w.form.core().results();
    for (std::size_t i = 1; i <= results.count(); ++i)
        results.setChecked(i, results.text(i) != level2);
    w.form.button(Button::SendChecked)->click();
    EXPECT_TRUE(std::filesystem::is_directory(level2));
    EXPECT_FALSE(std::filesystem::exists(level2 + "/Level 3"));
    EXPECT_THAT(w.results(), ElementsAre(program.samples("A nest of empty folders"),
                                         program.samples("A nest of empty folders/Level 1"), level2));
}

// Folders dragged from a file manager onto the folder list are added; a
// file is named and left out; a drag of anything else is refused. The
// list's menu removes a folder.
TEST(MainWindowRoots, DroppedFoldersAreAddedAndTheMenuRemovesOne)
{
    ProgramFolder program;
    Window w(program.root());
    w.form.show();
    QWidget* target = w.form.listView1()->viewport();
    const auto drag = [&](const QList<QUrl>& urls, bool drop) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (enter.isAccepted() && drop) {
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &dropped);
        }
        return enter.isAccepted();
    };
    const QUrl samples = QUrl::fromLocalFile(QString::fromStdString(program.samples()));
    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(program.samples("About these samples.txt")));
    EXPECT_FALSE(drag({QUrl("https://example.org/x")}, true));
    EXPECT_TRUE(drag({samples, file}, true));
    EXPECT_THAT(test::Texts(w.form.core().folderList()), ElementsAre(program.samples() + "/"));
    EXPECT_THAT(w.prompter.messages(),
                ElementsAre(program.samples("About these samples.txt") + " is not a folder, so it was not added."));

    const std::unique_ptr<QMenu> menu = w.form.contextMenu(ListId::Folders, 0);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions().at(1)->text(), QStringLiteral("Open Folder"));
    menu->actions().at(0)->trigger(); // "Remove"
    EXPECT_THAT(test::Texts(w.form.core().folderList()), IsEmpty());
}

TEST(MainWindowSamples, ProgramWithoutItsSamplesStartsQuietlyWithTheUsersOwn)
{
    test::TempTree bare("bin/");
    Window w(bare.path("bin"));
    EXPECT_THAT(w.prompter.shown(), IsEmpty());
    const std::string root = w.form.core().sampleRoot();
    EXPECT_TRUE(root.starts_with(test::privateHome()));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/This one is empty 1"));
    EXPECT_FALSE(std::filesystem::exists(bare.path("bin/Samples")));
}

} // namespace
} // namespace vacantix
