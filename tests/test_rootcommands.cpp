// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "platform/FakeFileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "roots/FolderPicker.h"
#include "roots/SampleFolders.h"
#include "roots/qt/SampleLocation.h"
#include "support/PrivateHome.h"
#include "support/ResultsDoubles.h"
#include "support/TempTree.h"
#include "support/ScriptedPrompter.h"

namespace vacantix {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Kind = test::ScriptedPrompter::Kind;
using test::RecordingOpener;

TEST(AddOneFolder, ChosenFolderGetsOneTrailingSeparatorAndTheRootStaysTheRoot)
{
    MemoryFolderList roots;
    test::ScriptedPrompter prompter;
    prompter.answerChooseFolder("/srv/data");
    prompter.answerChooseFolder("/");
    prompter.answerChooseFolder("/srv/data");
    prompter.answerChooseFolder("/home/ann/");
    for (int i = 0; i < 4; ++i)
        AddOneFolder(roots, prompter);

    EXPECT_THAT(roots.entries(), ElementsAre("/srv/data/", "/", "/srv/data/", "/home/ann/"));
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.shown()[0].kind, Kind::ChooseFolder);
    EXPECT_EQ(prompter.shown()[0].text, "Select Folder");
    EXPECT_THAT(prompter.errorReports(), IsEmpty());
}

TEST(AddOneFolder, CancelOrAnEmptyAnswerAddsNothing)
{
    MemoryFolderList roots;
    roots.append("/kept/");
    test::ScriptedPrompter prompter;
    prompter.answerChooseFolder(std::nullopt);
    prompter.answerChooseFolder("");
    AddOneFolder(roots, prompter);
    AddOneFolder(roots, prompter);
    EXPECT_THAT(roots.entries(), ElementsAre("/kept/"));
    EXPECT_THAT(prompter.texts(Kind::ChooseFolder), ElementsAre("Select Folder", "Select Folder"));
    EXPECT_EQ(prompter.shown().size(), 2u);

    // A relative answer would be taken against some other current folder.
    prompter.answerChooseFolder("data");
    AddOneFolder(roots, prompter);
    EXPECT_THAT(roots.entries(), ElementsAre("/kept/"));
    EXPECT_THAT(prompter.messages(), ElementsAre("data/ is no absolute path; the folder was not added."));
}

// A folder list whose appends fail, as a list that refuses more entries would.
class RefusingFolderList final : public FolderList {
public:
    void append(std::string) override { throw Failure(7, "Out of memory"); }
    void clear() override {}
    [[nodiscard]] std::size_t count() const override { return 0; }
    [[nodiscard]] std::string text(std::size_t) const override { return {}; }
    void remove(std::size_t) override {}
    void setHeaderText(std::string) override {}
    [[nodiscard]] std::string headerText() const override { return {}; }
};

TEST(AddOneFolder, FailingAppendIsReportedWithItsStep)
{
    RefusingFolderList roots;
    test::ScriptedPrompter prompter;
    prompter.answerChooseFolder("/srv");
    AddOneFolder(roots, prompter);
    ASSERT_EQ(prompter.errorReports().size(), 1u);
    EXPECT_THAT(prompter.errorReports()[0],
                HasSubstr("Out of memory\r\nin Vacantix2021/08/31.Form1.PushButton6_Click at line 108\r\r"));
}

TEST(LoadSampleFolders, AppendsTheRootEachTimeAndOpensItOnlyOnYes)
{
    MemoryFolderList roots;
    test::ScriptedPrompter prompter;
    RecordingOpener opener;
    prompter.answerAsk(false);
    prompter.answerAsk(true);
    LoadSampleFolders(roots, prompter, opener, "/opt/vacantix/Samples");
    EXPECT_THAT(opener.opened, IsEmpty());
    LoadSampleFolders(roots, prompter, opener, "/opt/vacantix/Samples/");

    EXPECT_THAT(roots.entries(), ElementsAre("/opt/vacantix/Samples/", "/opt/vacantix/Samples/"));
    EXPECT_THAT(opener.opened, ElementsAre("/opt/vacantix/Samples/"));
    EXPECT_THAT(prompter.texts(Kind::Ask),
                ElementsAre(std::string(kOpenSamplesQuestion), std::string(kOpenSamplesQuestion)));
    EXPECT_THAT(kOpenSamplesQuestion, HasSubstr("open the folder where these sample folders are stored"));
    EXPECT_THAT(prompter.errorReports(), IsEmpty());
    EXPECT_THAT(prompter.texts(Kind::Message), IsEmpty());

    // A folder the desktop refuses to show is named in a message, not passed over.
    opener.succeeds = false;
    prompter.answerAsk(true);
    LoadSampleFolders(roots, prompter, opener, "/opt/vacantix/Samples");
    EXPECT_THAT(opener.opened, ElementsAre("/opt/vacantix/Samples/", "/opt/vacantix/Samples/"));
    EXPECT_THAT(prompter.texts(Kind::Message),
                ElementsAre("The folder /opt/vacantix/Samples/ could not be opened."));
    EXPECT_THAT(prompter.errorReports(), IsEmpty());
    opener.succeeds = true;

    // A question that cannot be asked is reported and opens nothing.
    prompter.answerAsk(true);
    prompter.onShow = [](const test::ScriptedPrompter::Shown& box) {
        if (box.kind == Kind::Ask)
            throw Failure(OtherError, "no box");
    };
    LoadSampleFolders(roots, prompter, opener, "/opt/vacantix/Samples");
    EXPECT_EQ(roots.count(), 4u);
    EXPECT_THAT(opener.opened, ElementsAre("/opt/vacantix/Samples/", "/opt/vacantix/Samples/"));
    EXPECT_THAT(prompter.errorReports(),
                ElementsAre(HasSubstr("no box\r\nin Vacantix2021/08/31.Form1.PushButton10_Click at line 102")));
}

// The empty sample folders that are folders below `root`, in list order.
std::vector<std::string> MadeBelow(FileSystem& fs, const std::string& root)
{
    std::vector<std::string> found;
    for (const std::string_view relative : EmptySampleFolders())
        if (fs.isDirectory(root + "/" + std::string(relative)))
            found.emplace_back(relative);
    return found;
}

TEST(EmptySampleFolders, MissingOnesAreMadeAgainParentsFirst)
{
    FakeFileSystem fs;
    fs.add("/p", "Samples/This one is empty 2/\nSamples/Other/");
    test::ScriptedPrompter prompter;
    Trap trap(prompter, "in Vacantix2021/08/31.Form1.Form_Load ");
    EnsureEmptySampleFolders(fs, "/p/Samples", trap);

    EXPECT_THAT(prompter.errorReports(), IsEmpty());
    EXPECT_THAT(MadeBelow(fs, "/p/Samples"),
                ElementsAre("This one is empty 1", "This one is empty 2", "A nest of empty folders",
                            "A nest of empty folders/Level 1", "A nest of empty folders/Level 1/Level 2",
                            "A nest of empty folders/Level 1/Level 2/Level 3", ".A hidden empty folder"));
    EXPECT_TRUE(fs.isDirectory("/p/Samples/Other"));
    EXPECT_EQ(EmptySampleFolders()[0], "This one is empty 1");
    EXPECT_EQ(EmptySampleFolders()[1], "This one is empty 2");
}

TEST(EmptySampleFolders, EachFolderThatCannotBeMadeIsReportedUnderItsStep)
{
    FakeFileSystem fs;
    fs.add("/p", "Samples/This one is empty 1\nSamples/A nest of empty folders");
    test::ScriptedPrompter prompter;
    Trap trap(prompter, "in Vacantix2021/08/31.Form1.Form_Load ");
    EnsureEmptySampleFolders(fs, "/p/Samples", trap);

    // The file blocks its own name and the nest below it; the rest is made.
    const auto reports = prompter.errorReports();
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_THAT(reports[0], HasSubstr("Form1.Form_Load at line 136"));
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_THAT(reports[i], HasSubstr("Form1.Form_Load at line 138"));
    EXPECT_THAT(MadeBelow(fs, "/p/Samples"), ElementsAre("This one is empty 2", ".A hidden empty folder"));

    // Without a sample root nothing is made up in its place.
    FakeFileSystem bare;
    bare.addFolder("/p");
    test::ScriptedPrompter quiet;
    Trap again(quiet, "in Vacantix2021/08/31.Form1.Form_Load ");
    EnsureEmptySampleFolders(bare, "/p/Samples", again);
    EXPECT_EQ(quiet.errorReports().size(), EmptySampleFolders().size());
    EXPECT_FALSE(bare.fileExists("/p/Samples"));
}

class SampleLocation : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove_all(userSamples().parent_path()); }

    static std::filesystem::path userSamples()
    {
        return std::filesystem::path(test::privateHome()) / "data" / "Vacantix" / "Samples";
    }

    static std::string Root(const QString& root) { return QFile::encodeName(root).toStdString(); }

    test::TempTree program{"Samples/About.txt\n"
                           "Samples/Only a zero-byte file/Empty.txt:0\n"
                           "Samples/A file deep inside/Level 1/Notes.txt:12\n"
                           "Samples/.A hidden empty folder/\n"};
};

TEST_F(SampleLocation, WritableProgramFolderKeepsItsOwnSamples)
{
    const QString folder = QFile::decodeName(program.root().c_str());
    EXPECT_EQ(Root(PrepareSampleRoot(folder)), program.path("Samples"));
    EXPECT_EQ(Root(PrepareSampleRoot(folder + "/")), program.path("Samples"));
    EXPECT_FALSE(std::filesystem::exists(userSamples()));
}

TEST_F(SampleLocation, InstalledProgramCopiesItsSamplesForTheUserOnce)
{
    const QString folder = QFile::decodeName(program.root().c_str());
    const std::string root = Root(PrepareSampleRoot(folder, false));
    EXPECT_EQ(root, userSamples().string());
    EXPECT_EQ(std::filesystem::file_size(userSamples() / "Only a zero-byte file" / "Empty.txt"), 0u);
    EXPECT_EQ(std::filesystem::file_size(userSamples() / "A file deep inside" / "Level 1" / "Notes.txt"), 12u);
    EXPECT_TRUE(std::filesystem::is_directory(userSamples() / ".A hidden empty folder"));

    // The copy is the user's from now on: what the user removed stays removed.
    std::filesystem::remove(userSamples() / "About.txt");
    EXPECT_EQ(Root(PrepareSampleRoot(folder, false)), root);
    EXPECT_FALSE(std::filesystem::exists(userSamples() / "About.txt"));

    // The start-up then makes the empty ones there, without a report.
    PosixFileSystem fs;
    test::ScriptedPrompter prompter;
    Trap trap(prompter, "in Vacantix2021/08/31.Form1.Form_Load ");
    EnsureEmptySampleFolders(fs, root, trap);
    EXPECT_THAT(prompter.errorReports(), IsEmpty());
    EXPECT_EQ(MadeBelow(fs, root).size(), EmptySampleFolders().size());
}

TEST_F(SampleLocation, InstalledProgramFindsItsSamplesUnderShare)
{
    // The installed layout: prefix/bin/vacantix, prefix/share/vacantix/Samples.
    test::TempTree prefix("bin/\n"
                          "share/vacantix/Samples/About.txt:5\n");
    const QString bin = QFile::decodeName(prefix.path("bin").c_str());
    EXPECT_EQ(Root(ShippedSampleFolder(bin)), prefix.path("share/vacantix/Samples"));
    EXPECT_EQ(Root(PrepareSampleRoot(bin)), prefix.path("share/vacantix/Samples"));

    // Read-only there, the user gets a copy of these very samples.
    EXPECT_EQ(Root(PrepareSampleRoot(bin, false)), userSamples().string());
    EXPECT_EQ(std::filesystem::file_size(userSamples() / "About.txt"), 5u);

    // Samples beside the executable (a build folder) come first.
    prefix.add("bin/Samples/\n");
    EXPECT_EQ(Root(ShippedSampleFolder(bin)), prefix.path("bin/Samples"));
}

TEST_F(SampleLocation, SamplesInASystemTreeAreUsedThroughTheUsersCopy)
{
    // Root may write where a package put the samples, but a scan skips
    // that tree by default: the samples would find nothing there.
    const QString shipped = QFile::decodeName(program.path("Samples").c_str());
    EXPECT_TRUE(SamplesUsableInPlace(shipped, {"/proc", "/nowhere"}));
    EXPECT_FALSE(SamplesUsableInPlace(shipped, {"/proc", program.root()}));
    EXPECT_FALSE(SamplesUsableInPlace(shipped, {program.path("Samples")}));
    EXPECT_TRUE(SamplesUsableInPlace(shipped, {program.path("Sam")}));
    EXPECT_FALSE(SamplesUsableInPlace(QFile::decodeName(program.path("missing").c_str()), {}));
}

TEST_F(SampleLocation, ProgramWithoutSamplesGetsAnEmptyUserFolder)
{
    test::TempTree bare("bin/");
    const std::string root = Root(PrepareSampleRoot(QFile::decodeName(bare.path("bin").c_str())));
    EXPECT_EQ(root, userSamples().string());
    EXPECT_TRUE(std::filesystem::is_directory(root));
    EXPECT_FALSE(std::filesystem::exists(bare.path("bin/Samples")));
}

} // namespace
} // namespace vacantix
