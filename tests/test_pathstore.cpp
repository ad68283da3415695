// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/Failure.h"
#include "scan/PathStore.h"
#include "scan/ResultsList.h"

using namespace vacantix;

namespace {

using Model = std::vector<std::pair<std::string, bool>>;

// Names that have tripped path code before: empty, 255 bytes, longer than
// any file system allows, bytes that are not UTF-8, a NUL, dots.
std::vector<std::string> OddNames()
{
    return {"",   "a",  "b",  "ab", std::string(255, 'n'), std::string(5000, 'L'), "\xff\xfe\x80", std::string("z\0z", 3),
            "..", ".",  " ", "tab\there"};
}

// A path from `names`: half the time below the previous one or beside it
// (as a depth-first search hands them out), otherwise anything.
std::string NextPath(std::mt19937& random, const std::string& previous)
{
    static const std::vector<std::string> names = OddNames();
    auto pick = [&] { return names[random() % names.size()]; };
    switch (random() % 6) {
    case 0: return previous + "/" + pick();
    case 1: return previous.substr(0, previous.rfind('/') == std::string::npos ? 0 : previous.rfind('/'));
    case 2: return previous;
    default: {
        std::string path = random() % 4 == 0 ? pick() : std::string();
        for (std::size_t depth = random() % 5; depth > 0; --depth)
            path += "/" + pick();
        return path;
    }
    }
}

void ExpectSame(const PathStore& store, const Model& model, const std::string& where)
{
    ASSERT_EQ(store.size(), model.size()) << where;
    std::size_t checked = 0;
    std::size_t next = store.nextChecked(0);
    for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(store.text(i), model[i].first) << where << " at " << i;
        ASSERT_EQ(store.checked(i), model[i].second) << where << " at " << i;
        checked += model[i].second ? 1 : 0;
        if (model[i].second) {
            ASSERT_EQ(next, i) << where;
            next = store.nextChecked(i + 1);
        }
    }
    ASSERT_EQ(next, model.size()) << where;
    ASSERT_EQ(store.checkedCount(), checked) << where;
    // Backwards too, as the final pass reads them.
    for (std::size_t i = model.size(); i-- > 0;)
        ASSERT_EQ(store.text(i), model[i].first) << where << " at " << i << ", read backwards";
}

} // namespace

// Random appends, check marks and removals behave as a plain vector of
// (text, checked) would, in the 32-bit and in the widened layout.
TEST(PathStore, behavesAsAVectorOfPathsAndMarks)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        PathStore store(seed % 2 == 0 ? 0xFFFFFFFFu : 3000u);
        Model model;
        std::string previous = "/";
        for (int step = 0; step < 400; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
            const unsigned op = random() % 20;
            if (op < 11 || model.empty()) {
                previous = NextPath(random, previous);
                const bool mark = random() % 3 != 0;
                store.append(previous, mark);
                model.emplace_back(previous, mark);
            } else if (op < 14) {
                const std::size_t i = random() % model.size();
                const bool mark = random() % 2 == 0;
                store.setChecked(i, mark);
                model[i].second = mark;
            } else if (op == 14) {
                const bool mark = random() % 2 == 0;
                store.setAllChecked(mark);
                for (auto& entry : model)
                    entry.second = mark;
            } else if (op < 18) {
                const std::size_t i = random() % model.size();
                store.remove(i);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                std::vector<std::size_t> doomed;
                for (std::size_t n = random() % 70; n > 0; --n)
                    doomed.push_back(random() % model.size());
                store.removeMany(doomed);
                std::vector<bool> gone(model.size(), false);
                for (const std::size_t i : doomed)
                    gone[i] = true;
                Model kept;
                for (std::size_t i = 0; i < model.size(); ++i)
                    if (!gone[i])
                        kept.push_back(model[i]);
                model = std::move(kept);
            }
            ASSERT_NO_FATAL_FAILURE(ExpectSame(store, model, where));
        }
    }
}

// Every text comes back byte for byte, whatever came before it.
TEST(PathStore, keepsEveryPathExact)
{
    const std::string n255(255, 'x');
    const std::vector<std::vector<std::string>> cases = {
        {"/"},
        {"", "/", "//", "///"},
        {"/a", "/a/", "/a//", "/a", "a", "a/b", "/a/b"},
        {"/d/" + n255, "/d/" + n255 + "/" + n255, "/d/" + n255 + "x", "/d/" + n255},
        {"/m/\xc3\x28/\xff", "/m/\xc3\x28", "/m/\xc3\x28/\xff/\xfe"},
        {"/z/y/x", "/a/b/c", "/z/y/x/w", "/z"},  // not in pre-order
        {"relative/one", "relative", "/relative"},
    };
    for (const auto& paths : cases) {
        PathStore store;
        for (const std::string& path : paths)
            store.append(path);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < store.size(); ++i)
            texts.push_back(store.text(i));
        EXPECT_EQ(texts, paths);
    }
}

// Results handed out in pre-order share their parents: a chain of folders
// costs one node per folder, not one per name of every path.
TEST(PathStore, sharesParentsOfPathsInPreOrder)
{
    PathStore store;
    std::string path = "/base";
    for (int depth = 0; depth < 2000; ++depth) {
        path += "/d";
        store.append(path);
    }
    EXPECT_EQ(store.nodeCount(), 2002u);  // "", "base" and 2000 times "d"
    EXPECT_EQ(store.text(1999), path);
    EXPECT_EQ(store.name(store.node(0)), "d");
    EXPECT_EQ(store.name(store.parent(store.node(0))), "base");

    store.removeMany({0, 1999});
    store.remove(0);
    EXPECT_EQ(store.text(0), "/base/d/d/d");
    store.removeMany(std::vector<std::size_t>(1, 0));
    while (!store.empty())
        store.remove(store.size() - 1);
    EXPECT_EQ(store.nodeCount(), 0u);  // the last removal frees the tree
}

// Out-of-range positions: the store throws std::out_of_range, the results
// list the failure "Subscript out of range", and neither removes anything.
TEST(PathStore, refusesPositionsOutOfRange)
{
    PathStore store;
    store.append("/a");
    store.append("/b");
    EXPECT_THROW((void)store.text(2), std::out_of_range);
    EXPECT_THROW(store.removeMany({0, 2}), std::out_of_range);
    EXPECT_EQ(store.size(), 2u);

    MemoryResultsList list;
    list.append("/a");
    list.append("/b");
    const auto number = [](auto&& step) {
        try {
            step();
        } catch (const Failure& failure) {
            return failure.number();
        }
        return 0;
    };
    for (const std::size_t position : {std::size_t{0}, std::size_t{3}}) {
        EXPECT_EQ(number([&] { (void)list.text(position); }), SubscriptOutOfRange);
        EXPECT_EQ(number([&] { (void)list.checked(position); }), SubscriptOutOfRange);
        EXPECT_EQ(number([&] { list.setChecked(position, false); }), SubscriptOutOfRange);
        EXPECT_EQ(number([&] { list.remove(position); }), SubscriptOutOfRange);
        EXPECT_EQ(number([&] { list.removeMany({2, position}); }), SubscriptOutOfRange);
    }
    EXPECT_EQ(list.entries(), (std::vector<MemoryResultsList::Entry>{{"/a", true}, {"/b", true}}));
}
