// SPDX-License-Identifier: GPL-3.0-or-later
// The window's two list models and what a list control hears from them.
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <numeric>
#include <random>

#include "base/ListObserver.h"
#include "platform/Failure.h"
#include "results/PathOrder.h"
#include "results/ResultsModel.h"
#include "roots/FolderListModel.h"
#include "support/ListTexts.h"

namespace vacantix {
namespace {

using test::Texts;

// What a list control hears, as "insert 0-9", "removed 3-3", "checks 1-5",
// "reset", "header".
class HeardChanges final : public ListObserver {
public:
    void beginReset() override { heard.emplace_back("reset"); }
    void beginInsert(std::size_t first, std::size_t last) override { add("insert", first, last); }
    void beginRemove(std::size_t first, std::size_t last) override { add("removed", first, last); }
    void checksChanged(std::size_t first, std::size_t last) override { add("checks", first, last); }
    void headerChanged() override { heard.emplace_back("header"); }
    void deliveryWanted(std::chrono::milliseconds delay) override { deliveries.push_back(delay); }

    [[nodiscard]] int count(std::string_view kind) const
    {
        return static_cast<int>(std::count_if(heard.begin(), heard.end(),
                                              [&](const std::string& one) { return one.starts_with(kind); }));
    }

    std::vector<std::string> heard;
    std::vector<std::chrono::milliseconds> deliveries;

private:
    void add(const char* kind, std::size_t first, std::size_t last)
    {
        heard.push_back(std::string(kind) + " " + std::to_string(first) + "-" + std::to_string(last));
    }
};

template <class Model>
std::vector<std::string> ShownTexts(const Model& model)
{
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < model.rowCount(); ++row)
        texts.push_back(model.rowText(row));
    return texts;
}

TEST(ResultsModel, AppendedEntriesReachViewsInBatchesWhileCountsStayExact)
{
    ResultsModel model;
    HeardChanges control;
    model.setObserver(&control);
    for (int i = 0; i < 1000; ++i) {
        model.append("/t/" + std::to_string(i));
        model.refresh();
    }
    EXPECT_EQ(model.count(), 1000u);
    EXPECT_EQ(model.text(1000), "/t/999");
    EXPECT_LE(control.count("insert"), 2) << "views must not hear of every entry alone";
    ASSERT_FALSE(control.deliveries.empty()) << "the rest follow by themselves";
    EXPECT_LE(control.deliveries.front(), FlushInterval(0));
    model.flush();
    EXPECT_EQ(model.rowText(999), "/t/999");
}

TEST(ResultsModel, RemovingShownAndPendingEntriesKeepsRowsAndPositionsInStep)
{
    ResultsModel model;
    model.append("/a");
    model.append("/b");
    model.flush();
    model.append("/c");
    model.append("/d"); // not shown yet
    model.remove(4);    // pending
    model.remove(1);    // shown
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"/b", "/c"}));
    EXPECT_EQ(model.text(2), "/c");
    EXPECT_EQ(ShownTexts(model), (std::vector<std::string>{"/a", "/b"})) << "views see the last flush";
    EXPECT_FALSE(model.setRowChecked(0, false)) << "a removed row";
    model.flush();
    EXPECT_EQ(ShownTexts(model), (std::vector<std::string>{"/b", "/c"}));
}

TEST(ResultsModel, CheckBoxesFollowTheEntriesAndNewEntriesStartChecked)
{
    ResultsModel model;
    model.append("/same");
    model.append("/same");
    model.flush();
    ASSERT_TRUE(model.setRowChecked(0, false));
    EXPECT_FALSE(model.checked(1));
    EXPECT_TRUE(model.checked(2));
    model.setAllChecked(false);
    model.append("/new");
    EXPECT_FALSE(model.checked(2));
    EXPECT_TRUE(model.checked(3));
    model.remove(1);
    model.flush();
    EXPECT_EQ(Texts(model), (std::vector<std::string>{"/same", "/new"}));
    EXPECT_FALSE(model.rowChecked(0));
}

TEST(ResultsModel, PositionsOutsideTheListAreSubscriptErrors)
{
    ResultsModel model;
    model.append("/a");
    for (std::size_t bad : {std::size_t{0}, std::size_t{2}}) {
        try {
            (void)model.text(bad);
            FAIL() << "position " << bad;
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), SubscriptOutOfRange);
        }
    }
    EXPECT_THROW(model.remove(2), Failure);
    model.clear();
    EXPECT_EQ(model.count(), 0u);
    EXPECT_EQ(model.rowCount(), 0u);
}

TEST(ResultsModel, FollowsAPlainListThroughAnyMixOfChangesAndFlushes)
{
    ResultsModel model;
    MemoryResultsList plain;
    std::mt19937 random(7);
    int next = 0;
    for (int round = 0; round < 4000; ++round) {
        const auto pick = [&](std::size_t count) { return std::size_t(random() % count) + 1; };
        switch (random() % 10) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const std::string path = "/p" + std::to_string(next++);
            model.append(path);
            plain.append(path);
            break;
        }
        case 4:
        case 5:
        case 6:
            if (plain.count() > 0) {
                const std::size_t at = pick(plain.count());
                model.remove(at);
                plain.remove(at);
            }
            break;
        case 7:
            if (plain.count() > 0) {
                const std::size_t at = pick(plain.count());
                const bool mark = random() % 2;
                model.setChecked(at, mark);
                plain.setChecked(at, mark);
            }
            break;
        case 8:
            if (random() % 8 == 0)
                model.flush();
            else if (random() % 8 == 0)
                model.orderRows(static_cast<RowOrder>(random() % 3));
            break;
        default:
            if (random() % 50 == 0) {
                model.clear();
                plain.clear();
            }
            break;
        }
        ASSERT_EQ(model.count(), plain.count());
        const auto entries = plain.entries();
        ASSERT_EQ(model.checkedCount(), std::size_t(std::count_if(entries.begin(), entries.end(),
                                                                  [](const auto& e) { return e.checked; })));
        if (plain.count() > 0) {
            const std::size_t at = pick(plain.count());
            ASSERT_EQ(model.text(at), plain.text(at)) << "round " << round;
            ASSERT_EQ(model.checked(at), plain.checked(at)) << "round " << round;
        }
    }
    // Ordered or not, the rows show every entry once, each with its mark.
    model.flush();
    std::map<std::string, bool> marks;
    for (const auto& entry : plain.entries())
        marks[entry.text] = entry.checked;
    ASSERT_EQ(model.rowCount(), marks.size());
    for (std::size_t row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(std::exchange(marks[model.rowText(row)], !model.rowChecked(row)), model.rowChecked(row));
    model.orderRows(RowOrder::Found);
    EXPECT_EQ(ShownTexts(model), plain.texts());
    model.orderRows(RowOrder::PathDescending);
    model.clear();
    EXPECT_EQ(model.rowOrder(), RowOrder::Found) << "a cleared list shows what comes in the order found";
    for (std::size_t row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.rowChecked(row), plain.checked(row + 1));
}

// The path order against a plain sort of the paths cut into names, on
// random trees whose paths come in no particular order (so the store
// holds the same name more than once).
TEST(PathOrder, SortsNameByNameAsAPlainSortOfTheNamesDoes)
{
    const auto folded = [](std::string name) {
        for (char& c : name)
            c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
        return name;
    };
    const auto names = [&](const std::string& path) {
        std::vector<std::pair<std::string, std::string>> cut;
        for (std::size_t begin = 0;;) {
            const std::size_t slash = path.find('/', begin);
            const std::string name = path.substr(begin, slash - begin);
            cut.emplace_back(folded(name), name);
            if (slash == std::string::npos)
                return cut;
            begin = slash + 1;
        }
    };
    const std::string pieces[] = {"a", "A", "b", "a-b", "a b", "ab", "", "\xc3\xa9", "Z"};
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        PathStore store;
        std::vector<std::string> paths;
        for (int i = 0; i < 300; ++i) {
            std::string path;
            for (std::size_t depth = random() % 4 + 1; depth > 0; --depth)
                path += "/" + pieces[random() % std::size(pieces)];
            paths.push_back(path);
            store.append(path);
        }
        std::vector<std::size_t> expected(paths.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](std::size_t a, std::size_t b) { return names(paths[a]) < names(paths[b]); });
        std::vector<std::string> want, got;
        for (const std::size_t i : expected)
            want.push_back(paths[i] + " #" + std::to_string(i));
        for (const std::uint32_t i : PathOrder(store))
            got.push_back(paths[i] + " #" + std::to_string(i));
        ASSERT_EQ(got, want) << "round " << round;
    }
}

TEST(ResultsModel, PositionsStayExactAcrossThousandsOfEntriesRemovedInRunsAndScattered)
{
    // Each case: entries, then which 1-based positions go (from the last),
    // with a flush before the removals or not.
    const struct {
        std::size_t entries;
        std::function<bool(std::size_t)> goes;
        bool flushFirst;
    } cases[] = {
        {3000, [](std::size_t p) { return p % 3 != 0; }, true},        // scattered: a reset
        {3000, [](std::size_t p) { return p > 64 && p <= 200; }, true}, // one run across words
        {3000, [](std::size_t p) { return p % 640 < 64; }, false},      // whole words, none shown
        {130, [](std::size_t p) { return p == 1 || p == 64 || p == 65 || p == 130; }, true},
    };
    for (const auto& c : cases) {
        ResultsModel model;
        MemoryResultsList plain;
        for (std::size_t i = 0; i < c.entries; ++i) {
            model.append("/e" + std::to_string(i));
            plain.append("/e" + std::to_string(i));
            if (i % 7 == 0) {
                model.setChecked(i + 1, false);
                plain.setChecked(i + 1, false);
            }
        }
        if (c.flushFirst)
            model.flush();
        for (std::size_t position = c.entries; position >= 1; --position) {
            if (!c.goes(position))
                continue;
            model.remove(position);
            plain.remove(position);
        }
        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(model.count(), plain.count());
            for (std::size_t position = 1; position <= plain.count(); ++position) {
                ASSERT_EQ(model.text(position), plain.text(position)) << c.entries << " at " << position;
                ASSERT_EQ(model.checked(position), plain.checked(position)) << c.entries << " at " << position;
            }
            model.flush();
        }
        EXPECT_EQ(ShownTexts(model), plain.texts());
        model.append("/after");
        EXPECT_EQ(model.text(model.count()), "/after");
    }
}

TEST(ResultsModel, LongListsAreLaidOutAnewLessOftenButAtLeastOnceASecond)
{
    const struct {
        std::size_t rows;
        long long ms;
    } cases[] = {{0, 100}, {1, 100}, {199'999, 100}, {200'000, 200}, {589'223, 500}, {1'000'000, 1000},
                 {50'000'000, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(FlushInterval(c.rows).count(), c.ms) << c.rows << " rows";
}

TEST(ResultsModel, ManyScatteredRemovalsReachViewsInOneChange)
{
    ResultsModel model;
    for (int i = 0; i < 1000; ++i)
        model.append("/p" + std::to_string(i));
    model.flush();
    HeardChanges control;
    model.setObserver(&control);
    for (std::size_t position = 1000; position >= 2; position -= 2)
        model.remove(position); // every second entry, from the last, as a final pass does
    EXPECT_EQ(model.rowCount(), 1000u);
    model.flush();
    EXPECT_EQ(control.count("removed") + control.count("reset"), 1);
    ASSERT_EQ(model.rowCount(), 500u);
    EXPECT_EQ(model.text(500), "/p998");
    EXPECT_EQ(model.rowText(499), "/p998");
}

TEST(ResultsModel, CheckMarksSetOneByOneReachViewsAsOneChangeBeforeAnyRowMoves)
{
    ResultsModel model;
    for (int i = 0; i < 100; ++i)
        model.append("/p" + std::to_string(i));
    model.flush();
    HeardChanges control;
    model.setObserver(&control);

    // Each case: check marks to clear (1-based), entries to remove, and
    // what views hear after the next delivery, or after a flush.
    const struct {
        std::vector<std::size_t> uncheck;
        std::vector<std::size_t> remove;
        bool flush;
        std::vector<std::string> heard;
    } cases[] = {
        {{50, 10, 30}, {}, false, {"checks 9-49"}},
        {{60, 70}, {}, true, {"checks 59-69"}},
        {{5}, {2}, true, {"checks 4-4", "removed 1-1"}}, // row 4 as it was before the removal
        {{}, {}, false, {}},
    };
    for (const auto& c : cases) {
        control.heard.clear();
        for (const std::size_t position : c.uncheck) {
            model.setChecked(position, false);
            EXPECT_FALSE(model.checked(position)) << "the list knows at once";
        }
        for (const std::size_t position : c.remove)
            model.remove(position);
        EXPECT_TRUE(control.heard.empty()) << "views hear later";
        if (c.flush)
            model.flush();
        else
            model.deliverPending();
        EXPECT_EQ(control.heard, c.heard);
    }
    EXPECT_FALSE(model.rowChecked(3));
    EXPECT_FALSE(model.rowChecked(8));
    EXPECT_TRUE(model.rowChecked(9));

    control.heard.clear();
    model.setChecked(1, false);
    model.clear();
    model.deliverPending();
    EXPECT_EQ(control.heard, std::vector<std::string>{"reset"}) << "a cleared list forgets its pending marks";
}

TEST(FolderListModel, HeaderTextAndNewEntriesReachViewsInBatches)
{
    FolderListModel model;
    HeardChanges control;
    model.setObserver(&control);
    for (int i = 0; i < 500; ++i) {
        model.setHeaderText("Searching /x/" + std::to_string(i));
        model.append("/x/" + std::to_string(i) + "/");
    }
    EXPECT_EQ(model.headerText(), "Searching /x/499");
    EXPECT_EQ(model.count(), 500u);
    EXPECT_EQ(control.deliveries.size(), 1u) << "one delivery is asked for";
    EXPECT_TRUE(control.heard.empty());
    model.deliverPending();
    EXPECT_EQ(control.heard, (std::vector<std::string>{"header", "insert 0-499"}));
    EXPECT_EQ(model.rowCount(), 500u);

    model.append("/a/"); // not shown yet
    model.remove(501);
    model.remove(1);
    EXPECT_EQ(model.text(1), "/x/1/");
    EXPECT_EQ(model.rowCount(), 499u);
    EXPECT_THROW(model.remove(500), Failure);
    model.flush();
    EXPECT_EQ(ShownTexts(model).back(), "/x/499/");
}

} // namespace
} // namespace vacantix
