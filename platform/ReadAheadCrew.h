// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"

namespace vacantix::readahead {

class Crew;
struct Folder;
using FolderPtr = std::shared_ptr<Folder>;

// One folder as read, ahead of the walk or by the walk itself.
struct Read {
    Read() = default;
    ~Read();
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;

    FsResult<Listing> listing = FsFailure{};
    // The folder's subfolders to be read in turn; null when it has none.
    FolderPtr folder;
    // The sizes of its regular files in listing order up to the first that
    // holds bytes, where they were asked for while it was open.
    std::vector<std::pair<std::string, FsResult<std::uint64_t>>> sizes;
    // The crew's epoch when the reading began.
    std::uint64_t epoch = 0;
    // What it keeps in memory, counted in the crew's window while it waits
    // there to be taken; `counted` names that crew.
    std::size_t bytes = 0;
    Crew* counted = nullptr;
};

// Where the read of one subfolder stands. A slot goes from Free to Claimed
// by the one thread that reads it, which fills in `read` and then sets
// Ready; the walk takes it (Taken), or reads it again itself. A slot read
// before the disk may have changed, or whose read failed, is Again: free to
// be read once more, as one claimed before.
enum SlotState : std::uint32_t { Free, Again, Claimed, Ready, Taken };

struct Slot {
    std::atomic<std::uint32_t> state{Free};
    std::unique_ptr<Read> read;
};

// Where a folder stands in the walk: read ahead of it, on the walk's path
// (handed out and not yet left), or left behind.
enum class Standing : std::uint8_t { Ahead, Path, Left };

// A folder of the current walk whose subfolders are to be read: one slot
// per subfolder, in listing order, and the folder held open while any of
// them is still to be claimed, so that they are opened from it.
struct Folder {
    Folder(std::string path, std::vector<std::string> names, std::uint64_t epoch);

    // The held folder for a claim of one of its slots; the claim ends with
    // claimDone(), which lets the folder go after the last slot's.
    [[nodiscard]] std::shared_ptr<const HeldFolder> heldForClaim() const { return held.load(); }
    void claimDone();
    // True while reading below it may still serve the walk: it is on the
    // walk's path, or read ahead in the current epoch below such a folder.
    [[nodiscard]] bool wanted(std::uint64_t epoch) const;

    const std::string path;
    const std::vector<std::string> names;
    const std::unique_ptr<Slot[]> slots;
    std::atomic<std::shared_ptr<const HeldFolder>> held;
    std::atomic<std::uint32_t> unclaimed;
    std::atomic<Standing> standing{Standing::Ahead};
    std::weak_ptr<Folder> parent;
    const std::uint64_t epoch;
    // Where it lies in the walk's order: the slot indices down from a top.
    std::vector<std::uint32_t> place;
    std::uint32_t next = 0; // the first slot not yet tried; under the crew's lock
    // The first slot the walk has not passed by yet.
    std::atomic<std::uint32_t> passed{0};
};

// The helper threads that read ahead of one walk, and what they share with
// it. Helpers take work from a queue of folders with slots left, ordered by
// the place of each one's next slot in the walk's pre-order, so that every
// helper reads the first folder the walk will ask for that nobody reads yet;
// a folder they read that has subfolders joins the queue. The walk takes
// what is ready with one atomic load per folder and wakes nobody unless a
// helper sleeps for room.
class Crew {
public:
    using ReaderFactory = std::function<std::unique_ptr<FileSystem>()>;

    struct Limits {
        std::size_t listings = 256;
        std::size_t bytes = std::size_t{4} << 20;
    };

    // At most this many folders are held open for reading ahead.
    static constexpr int kMaxHeld = 256;

    Crew(ReaderFactory makeReader, Limits limits);
    ~Crew();
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    // Starts one more helper; false when it could not be made.
    bool addHelper(const std::shared_ptr<Crew>& self);
    [[nodiscard]] unsigned helpers() const { return static_cast<unsigned>(threads_.size()); }
    // Stops the helpers; one still stuck in a listing after two seconds is
    // left to end on its own, holding what it uses.
    void stop();

    // Offers the slots of `folder` from `first` on to the helpers.
    void offer(const FolderPtr& folder, std::uint32_t first = 0);
    // Forgets every offer and starts a new epoch: what was read before is
    // no longer handed out.
    void restart();
    [[nodiscard]] std::uint64_t epoch() const { return epoch_.load(std::memory_order_acquire); }
    // What the walk looks at (see FileSystem::expectWalk): the helpers read
    // sizes with the listings while it asks for them, and pass it on to
    // their own file systems.
    void expectWalk(WalkNeeds needs);

    // Reads one slot from the helpers' queue through `fs`, as a helper
    // would, for a walk that would otherwise wait; false when none is left.
    bool helpOnce(FileSystem& fs);
    // Waits until the slot a helper claimed is no longer Claimed; true when
    // the wait was long enough to count as waiting for the disk.
    bool awaitClaimed(const Slot& slot);
    // Takes the read of a Ready slot, out of the window.
    std::unique_ptr<Read> take(Slot& slot);

    // Reads subfolder `index` of `folder` through `fs`, for the one who
    // claimed its slot (the first claim of it when `firstClaim`): the
    // listing, the folder held open where one more may be, and the sizes
    // while they are expected.
    std::unique_ptr<Read> read(FileSystem& fs, const FolderPtr& folder, std::uint32_t index, bool firstClaim);
    // Reads a folder that has no slot the same way: the folder the user
    // named (following a final link), or any other from the folder `parent`
    // holds open (null for none).
    std::unique_ptr<Read> readOutside(FileSystem& fs, const HeldFolder* parent, const std::string& path, bool named);

    // Called when a Read counted in the window goes.
    void uncount(const Read& read);

private:
    // Orders the queue: the folder whose next slot comes later in the walk
    // is "greater", so that the heap's front is the first.
    struct Later {
        bool operator()(const FolderPtr& a, const FolderPtr& b) const;
    };
    // A slot claimed from the queue.
    struct Task {
        FolderPtr folder;
        std::uint32_t index = 0;
        bool firstClaim = false;
    };

    void run(std::unique_ptr<FileSystem> fs);
    // Claims the first slot of the queue while there is room, under the
    // lock; the folders it takes off the queue go to `dropped`.
    std::optional<Task> claimNext(std::vector<FolderPtr>& dropped);
    // Adds a folder to the queue, under the lock.
    void enqueue(FolderPtr folder);
    // A place after every place given before, for a folder the walk read
    // where it stands; under the lock.
    [[nodiscard]] std::vector<std::uint32_t> placeOnTop();
    // The next slot for a helper, sleeping until there is one; none when
    // told to stop. Under `lock`.
    std::optional<Task> awaitTask(std::unique_lock<std::mutex>& lock);
    // Reads a claimed slot, fills it in and offers what lies below it.
    void perform(FileSystem& fs, Task task);
    // Tells a helper's own file system what the walk looks at, when that
    // changed since `told`.
    void passNeedsOn(FileSystem& fs, std::uint8_t& told) const;
    [[nodiscard]] bool room() const;
    // Adds the sizes and the folder to read below to a read just listed.
    void finish(FileSystem& fs, Read& read, std::string path, std::unique_ptr<HeldFolder> own);
    void publish(Slot& slot, std::unique_ptr<Read> read);
    void wakeWalk(const Slot& slot);

    const ReaderFactory makeReader_;
    const Limits limits_;
    std::vector<std::thread> threads_;

    std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable left_;
    std::vector<FolderPtr> queue_; // a heap, by Later; under mutex_
    std::uint32_t tops_ = 0;       // places given by placeOnTop; under mutex_
    unsigned running_ = 0;         // under mutex_
    bool stopping_ = false;        // under mutex_

    std::atomic<std::uint64_t> epoch_{1};
    std::atomic<std::uint8_t> needs_{kSizes | kModified}; // WalkNeeds as bits
    static constexpr std::uint8_t kSizes = 1;
    static constexpr std::uint8_t kModified = 2;
    std::atomic<std::size_t> readyListings_{0}; // ready and being read
    std::atomic<std::size_t> readyBytes_{0};
    std::atomic<bool> sleepingForRoom_{false};
    std::atomic<int> held_{0};
    // The slot the walk sleeps on, and what it sleeps with.
    std::atomic<const Slot*> awaited_{nullptr};
    std::mutex sleepMutex_;
    std::condition_variable walkAwake_;
};

} // namespace vacantix::readahead
