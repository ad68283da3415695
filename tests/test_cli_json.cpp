// SPDX-License-Identifier: GPL-3.0-or-later
// vacantix-cli --json and --dry-run on real trees: every line is one JSON
// object, and paths come back byte for byte.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <map>

#include "support/CliProcess.h"
#include "support/OutputLines.h"
#include "support/PrivateHome.h"
#include "support/TempTree.h"

using vacantix::test::CliOutcome;
using vacantix::test::RunCli;
using vacantix::test::TempTree;
namespace fs = std::filesystem;

namespace {

// Each line of the output parsed as one JSON object; the last is the summary.
std::vector<QJsonObject> Objects(const std::string& out)
{
    std::vector<QJsonObject> objects;
    for (const std::string& line : vacantix::test::OutputLines(out)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
        EXPECT_TRUE(document.isObject()) << line;
        objects.push_back(document.object());
    }
    return objects;
}

// The path an object names, as raw bytes: path_b64 when given, else path.
std::string PathOf(const QJsonObject& object)
{
    if (object.contains("path_b64"))
        return QByteArray::fromBase64(object["path_b64"].toString().toLatin1()).toStdString();
    return object["path"].toString().toStdString();
}

// path -> outcome of each folder acted on, and the summary.
std::pair<std::map<std::string, std::string>, QJsonObject> Outcomes(const std::string& out, const std::string& root)
{
    std::map<std::string, std::string> outcomes;
    std::vector<QJsonObject> objects = Objects(out);
    if (objects.empty())
        return {};
    for (std::size_t i = 0; i + 1 < objects.size(); ++i)
        outcomes[PathOf(objects[i]).substr(root.size())] = objects[i]["outcome"].toString().toStdString();
    return {outcomes, objects.back()["summary"].toObject()};
}

TEST(CliJson, ScanWritesEachFolderWithItsDepthAndPathsByteForByte)
{
    // Names that are no UTF-8 (RFC 3629): a Latin-1 byte, a surrogate, two
    // overlong forms, a code point above U+10FFFF; beside a 4-byte character.
    const std::map<std::string, std::string> notUtf8{
        {"caf\xE9\xFF", "caf\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"sur\xED\xA0\x80", "sur\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"over\xE0\x80\xAF", "over\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"over4\xF0\x80\x80\xAF", "over4\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"big\xF4\x90\x80\x80", "big\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    TempTree tree("a/b/c/\nfull/x.txt\nctl\x01\"\\/\nplain/\nsmile\xF0\x9F\x98\x80/");
    std::map<std::string, int> expected{{tree.path("a"), 1},     {tree.path("a/b"), 2},
                                        {tree.path("a/b/c"), 3}, {tree.path("ctl\x01\"\\"), 1},
                                        {tree.path("plain"), 1}, {tree.path("smile\xF0\x9F\x98\x80"), 1}};
    for (const auto& [name, shown] : notUtf8) {
        fs::create_directory(tree.path(name));
        expected[tree.path(name)] = 1;
    }
    const CliOutcome run = RunCli({"--json", tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<QJsonObject> objects = Objects(run.out);
    ASSERT_FALSE(objects.empty());

    std::map<std::string, int> depths;
    for (std::size_t i = 0; i + 1 < objects.size(); ++i) {
        const std::string path = PathOf(objects[i]);
        depths[path] = objects[i]["depth"].toInt(-1);
        // Only a path that is no UTF-8 carries its bytes beside, and its
        // "path" has U+FFFD for each byte that is no UTF-8.
        const auto odd = notUtf8.find(path.substr(tree.root().size() + 1));
        EXPECT_EQ(objects[i].contains("path_b64"), odd != notUtf8.end()) << path;
        if (odd != notUtf8.end()) {
            EXPECT_EQ(objects[i]["path"].toString().toStdString(), tree.path(odd->second));
        }
    }
    EXPECT_EQ(depths, expected);

    const QJsonObject summary = objects.back()["summary"].toObject();
    EXPECT_EQ(summary["found"].toInt(), static_cast<int>(expected.size()));
    EXPECT_EQ(summary["unreadable"].toObject()["count"].toInt(), 0);
    EXPECT_TRUE(summary["duration_seconds"].isDouble());
}

TEST(CliJson, DeletionWritesEachOutcomeAndCountsThem)
{
    TempTree tree("a/b/\nkeep/x.txt\nzero/e:0");
    const CliOutcome run = RunCli({"--json", "--delete", tree.root()});
    EXPECT_EQ(run.status, 1) << "a kept folder is no clean run";
    const auto [outcomes, summary] = Outcomes(run.out, tree.root());
    const std::map<std::string, std::string> expected{
        {"/a", "deleted"}, {"/a/b", "already gone"}, {"/zero", "kept"}};
    EXPECT_EQ(outcomes, expected);
    EXPECT_EQ(summary["deleted"].toInt(), 1);
    EXPECT_EQ(summary["already gone"].toInt(), 1);
    EXPECT_EQ(summary["kept"].toInt(), 1);
    EXPECT_EQ(summary["found"].toInt(), 3);
    EXPECT_FALSE(fs::exists(tree.path("a")));
}

// Every path below `root` with its size, for telling whether a run changed
// anything.
std::map<std::string, std::uintmax_t> Snapshot(const std::string& root)
{
    std::map<std::string, std::uintmax_t> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        entries[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return entries;
}

// A dry run changes nothing and foretells, folder by folder, what a real run
// on the same tree then does: nested folders whose parent goes first end as
// already gone, not as sent.
TEST(CliDryRun, ForetellsTheOutcomesOfTheRealRunAndChangesNothing)
{
    const std::vector<std::vector<std::string>> modes{{"--trash"},
                                                      {"--delete"},
                                                      {"--delete", "--zero-byte-empty", "1"},
                                                      {"--delete", "--junk-default"}};
    for (const std::vector<std::string>& mode : modes) {
        std::string shown;
        for (const std::string& word : mode)
            shown += word + " ";
        SCOPED_TRACE(shown);
        TempTree tree("a/b/c/\nzero/e:0\nzero/sub/f:0\nkeep/x.txt\nlone/\nlitter/.DS_Store:9\nlitter/in/Thumbs.db:4");
        const auto before = Snapshot(tree.root());

        std::vector<std::string> args{"--json", "--dry-run", tree.root()};
        args.insert(args.begin(), mode.begin(), mode.end());
        const CliOutcome dry = RunCli(args);
        EXPECT_EQ(Snapshot(tree.root()), before) << "a dry run changed the disk";
        const auto [foretold, drySummary] = Outcomes(dry.out, tree.root());
        EXPECT_TRUE(drySummary["dry_run"].toBool());

        args.erase(std::find(args.begin(), args.end(), "--dry-run"));
        const CliOutcome real = RunCli(args);
        const auto [happened, realSummary] = Outcomes(real.out, tree.root());
        EXPECT_EQ(foretold, happened);
        EXPECT_EQ(dry.status, real.status) << dry.err << real.err;
        EXPECT_EQ(happened.at("/a/b"), "already gone");
        EXPECT_EQ(happened.at("/a/b/c"), "already gone");
        EXPECT_NE(Snapshot(tree.root()), before) << "the real run changed nothing";
    }
}

TEST(CliDryRun, TextSaysWhatWouldHappen)
{
    TempTree tree("a/b/");
    const CliOutcome run = RunCli({"--delete", "--dry-run", tree.root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(tree.path("a") + ": would be deleted"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(tree.path("a/b") + ": already gone"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 folder would be deleted, 1 already gone"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(tree.path("a/b")));
    EXPECT_EQ(RunCli({"--dry-run", tree.root()}).status, 2) << "--dry-run alone acts on nothing";
}

} // namespace
