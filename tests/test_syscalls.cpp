// SPDX-License-Identifier: GPL-3.0-or-later
//
// What a scan costs the kernel, counted call by call with strace rather than
// timed: a loaded machine cannot fool a count. One more system call per
// folder, on the walk's thread or a helper's, fails here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "support/TempTree.h"

using vacantix::test::TempTree;

namespace {

// Calls that keep threads and memory going rather than read the disk; their
// number follows the clock (who waits for whom), not the tree.
const std::set<std::string> kHousekeeping = {
    "futex", "sched_yield", "mmap",   "munmap",          "mprotect",    "madvise", "brk",
    "mremap", "clone",      "clone3", "set_robust_list", "rseq",        "rt_sigprocmask",
    "exit",   "gettid",     "prctl",  "sigaltstack",     "sched_getaffinity",
};

// The calls vacantix-cli makes for one scan, by name, under strace -f, with
// `readers` helper threads ("" for the default).
std::map<std::string, long> CallsOfScan(const std::string& root, const char* readers, const char* zeroByteEmpty)
{
    const std::string summary = root + ".strace";
    // No number: the programs' own choice, helpers growing as they see fit.
    const std::string mode = *readers ? std::string("env VACANTIX_READERS=") + readers : "env -u VACANTIX_READERS";
    // A sanitizer's leak check cannot run under strace.
    const std::string command = "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " + mode + " strace -f -c -o " + summary + " " +
                                VACANTIX_CLI_PATH + " --zero-byte-empty " + zeroByteEmpty +
                                " --skip-system 0 --ignore-hidden 0 --ignore '' " + root + " >/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::map<std::string, long> calls;
    std::ifstream in(summary);
    for (std::string line; std::getline(in, line);) {
        // "% time seconds usecs/call calls [errors] syscall"
        std::istringstream fields(line);
        std::string percent, seconds, perCall, count, name, more;
        if (!(fields >> percent >> seconds >> perCall >> count >> name) || !std::isdigit(percent[0]))
            continue;
        if (fields >> more)
            name = more; // the errors column was there
        if (name != "total")
            calls[name] = std::stol(count);
    }
    std::remove(summary.c_str());
    return calls;
}

long DiskCalls(const std::map<std::string, long>& calls)
{
    long sum = 0;
    for (const auto& [name, count] : calls)
        sum += kHousekeeping.contains(name) ? 0 : count;
    return sum;
}

// A random tree of `count` folders, a quarter of them holding a file of a
// few bytes; `withFiles` counts those.
std::string RandomTree(int count, int& withFiles)
{
    std::mt19937 random(7);
    std::vector<std::string> folders{""};
    std::string description;
    withFiles = 0;
    for (int i = 0; i < count; ++i) {
        const std::string& parent = folders[random() % folders.size()];
        std::string path = (parent.empty() ? "" : parent + "/") + "d" + std::to_string(i);
        description += path + "/\n";
        if (random() % 4 == 0) {
            description += path + "/f:3\n";
            ++withFiles;
        }
        folders.push_back(std::move(path));
    }
    return description;
}

} // namespace

// Each folder costs an open (from its parent held open), two reads of its
// entries (the second finds the end) and a close, whichever thread makes
// them: where file systems are mounted is known from the mount table, read
// once. While zero-byte folders count as empty, one more for the size of
// the first file of each folder that holds one. What a scan costs beyond
// the folders (start-up, the root) is measured on an empty root and taken
// off.
TEST(SystemCalls, AScanCostsFourCallsPerFolderAndOneMorePerFolderWhoseSizeMatters)
{
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        FAIL() << "strace is missing (Debian package strace; ./build.sh test installs it)";
    constexpr int kFolders = 3000;
    int withFiles = 0;
    const TempTree tree(RandomTree(kFolders, withFiles));
    const TempTree empty;

    constexpr double kCallsPerFolder = 4;
    struct Row {
        const char* readers;
        const char* zeroByteEmpty;
        double allowedPerFolder; // beyond the calls every folder costs
    };
    const double sizes = static_cast<double>(withFiles) / kFolders;
    for (const Row& row : {Row{"0", "0", 0}, Row{"", "0", 0}, Row{"0", "1", sizes}, Row{"", "1", sizes}}) {
        SCOPED_TRACE(std::string("VACANTIX_READERS=") + row.readers + ", --zero-byte-empty " + row.zeroByteEmpty);
        const auto calls = CallsOfScan(tree.root(), row.readers, row.zeroByteEmpty);
        const auto fixed = CallsOfScan(empty.root(), row.readers, row.zeroByteEmpty);
        const double perFolder = static_cast<double>(DiskCalls(calls) - DiskCalls(fixed)) / kFolders;
        std::string seen;
        for (const auto& [name, count] : calls)
            seen += name + " " + std::to_string(count) + ", ";
        // A tenth of a call per folder is room for what the count of folders
        // alone does not decide (the output's writes); one more is not.
        EXPECT_LE(perFolder, kCallsPerFolder + row.allowedPerFolder + 0.1) << seen;
    }
}
