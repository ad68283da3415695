// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "scan/PathGlob.h"

using namespace vacantix;

TEST(PathGlob, MatchesWholePathsComponentByComponent)
{
    struct Case {
        const char* pattern;
        const char* path;
        bool matches;
    };
    const Case cases[] = {
        // Whole paths, "*" and "?" within one component.
        {"/home/*/keep", "/home/ann/keep", true},
        {"/home/*/keep", "/home/ann/x/keep", false},
        {"/home/*/keep", "/home/ann/keep/below", false},
        {"/home/*/keep", "/home//ann/keep/", true},
        {"/home/a?n", "/home/ann", true},
        {"/home/a?n", "/home/an", false},
        {"/home/*", "/home/.cache", true},
        {"/home/*", "/home", false},
        {"/h*e/*", "/home/x", true},
        {"/a*b*c", "/aXXbYYbc", true},
        {"/a*b*c", "/aXXbYYb", false},
        // "**" across folders, none included.
        {"**/.git/**", "/src/p/.git", true},
        {"**/.git/**", "/src/p/.git/objects/ab", true},
        {"**/.git/**", "/src/p/.github", false},
        {"/src/**/build", "/src/build", true},
        {"/src/**/build", "/src/a/b/build", true},
        {"/src/**/build", "/src/a/b/build/x", false},
        {"/**", "/anything/at/all", true},
        {"/a/**/b/**/c", "/a/x/b/y/b/z/c", true},
        {"/a/**/b/**/c", "/a/x/c/b", false},
        // A relative pattern matches at any depth.
        {"node_modules", "/w/app/node_modules", true},
        {"node_modules", "/w/app/node_modules/x", false},
        {"app/*", "/w/app/lib", true},
        // Sets, ranges, negation, escapes, an unclosed bracket.
        {"/d[0-9]", "/d7", true},
        {"/d[0-9]", "/dx", false},
        {"/d[!0-9]", "/dx", true},
        {"/d[^0-9]", "/d7", false},
        {"/d[]x]", "/d]", true},
        {"/d[", "/d[", true},
        {"/a\\*", "/a*", true},
        {"/a\\*", "/ab", false},
        // Case counts; an empty pattern matches nothing.
        {"/Home", "/home", false},
        {"", "/", false},
        {"", "/x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PathMatchesGlob(c.pattern, c.path), c.matches) << c.pattern << " vs " << c.path;
}

TEST(PathGlob, ManyStarsStayCheap)
{
    // Patterns that make a naive backtracking matcher take exponential time;
    // they must answer at once (a stall shows as the test's timeout).
    std::string doubleStars;
    std::string path;
    for (int i = 0; i < 200; ++i) {
        doubleStars += "/**/a";
        path += "/a";
    }
    EXPECT_FALSE(PathMatchesGlob(doubleStars + "/b", path));
    std::string stars = "/";
    for (int i = 0; i < 200; ++i)
        stars += "*a";
    EXPECT_FALSE(PathMatchesGlob(stars + "b", "/" + std::string(5000, 'a')));
}
