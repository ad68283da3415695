// SPDX-License-Identifier: GPL-3.0-or-later
// The least work a search for empty folders must do: read every folder once.
// Each folder is opened relative to its parent's descriptor
// (O_DIRECTORY|O_NOFOLLOW, so no path is ever built and no path limit is
// hit) and read with getdents64; nothing is stat'ed, entries whose type the
// file system does not give are simply tried as folders. N threads share one
// stack of folders still to read. Prints the number of folders read below
// ROOT on stdout.
//
//     walker [-t N] ROOT
//
// A benchmark yardstick, not part of the program: it decides nothing, keeps
// no results and reports no errors beyond a count of folders it could not
// open.
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// An open folder whose subfolders are still waiting to be opened; the last
// of them to be opened closes it, so open descriptors stay near the depth
// of the walk rather than its width.
struct Folder {
    int fd;
    std::atomic<long> waiting;
};

struct Pending {
    Folder* parent;
    std::string name;
};

struct Shared {
    std::mutex lock;
    std::condition_variable wake;
    std::vector<Pending> stack;
    int busy = 0;
    std::atomic<long> read{0};
    std::atomic<long> failed{0};
};

void Release(Folder* folder)
{
    if (folder->waiting.fetch_sub(1) == 1) {
        if (folder->fd != AT_FDCWD)
            close(folder->fd);
        delete folder;
    }
}

struct Dirent64 {
    unsigned long long ino;
    long long off;
    unsigned short reclen;
    unsigned char type;
    char name[];
};

void Work(Shared& shared)
{
    std::vector<char> buffer(32 * 1024);
    std::vector<std::string> subfolders;
    for (;;) {
        Pending next;
        {
            std::unique_lock hold(shared.lock);
            shared.wake.wait(hold, [&] { return !shared.stack.empty() || shared.busy == 0; });
            if (shared.stack.empty())
                return;
            next = std::move(shared.stack.back());
            shared.stack.pop_back();
            ++shared.busy;
        }
        const int fd = openat(next.parent->fd, next.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        Release(next.parent);
        subfolders.clear();
        if (fd < 0) {
            shared.failed.fetch_add(1, std::memory_order_relaxed);
        } else {
            shared.read.fetch_add(1, std::memory_order_relaxed);
            for (;;) {
                const long got = syscall(SYS_getdents64, fd, buffer.data(), buffer.size());
                if (got <= 0)
                    break;
                for (long at = 0; at < got;) {
                    const auto* entry = reinterpret_cast<const Dirent64*>(buffer.data() + at);
                    at += entry->reclen;
                    if (entry->type != DT_DIR && entry->type != DT_UNKNOWN)
                        continue;
                    if (entry->name[0] == '.'
                        && (entry->name[1] == '\0' || (entry->name[1] == '.' && entry->name[2] == '\0')))
                        continue;
                    subfolders.emplace_back(entry->name);
                }
            }
        }
        Folder* folder = nullptr;
        if (fd >= 0 && !subfolders.empty())
            folder = new Folder{fd, long(subfolders.size())};
        else if (fd >= 0)
            close(fd);
        std::lock_guard hold(shared.lock);
        for (auto& name : subfolders)
            shared.stack.push_back(Pending{folder, std::move(name)});
        --shared.busy;
        if (!subfolders.empty())
            shared.wake.notify_all();
        else if (shared.busy == 0 && shared.stack.empty())
            shared.wake.notify_all();
    }
}

} // namespace

int main(int argc, char** argv)
{
    int threads = 1;
    int arg = 1;
    if (arg + 1 < argc && std::strcmp(argv[arg], "-t") == 0) {
        threads = std::atoi(argv[arg + 1]);
        arg += 2;
    }
    if (threads < 1 || arg + 1 != argc) {
        std::fputs("usage: walker [-t N] ROOT\n", stderr);
        return 2;
    }
    Shared shared;
    shared.stack.push_back(Pending{new Folder{AT_FDCWD, 1}, argv[arg]});
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back(Work, std::ref(shared));
    Work(shared);
    for (auto& helper : helpers)
        helper.join();
    if (shared.read == 0) {
        std::fprintf(stderr, "walker: cannot open %s\n", argv[arg]);
        return 1;
    }
    std::printf("%ld\n", shared.read.load() - 1);
    if (shared.failed > 0)
        std::fprintf(stderr, "walker: %ld entries could not be opened as folders\n", shared.failed.load());
    return 0;
}
