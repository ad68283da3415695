// SPDX-License-Identifier: GPL-3.0-or-later
//
// The parts. A Node is a folder whose listing was read in the current walk,
// with the names of its subfolders; it points at its parent, so a folder's
// place in pre-order is the chain of child indices up to the walk's top, and
// two places compare by climbing to their common ancestor. Nodes never
// change once made, so the helpers read them without the lock.
//
// The Plan, shared under one mutex, holds the ranges of places not yet read
// (ordered, so a helper always takes the first in pre-order), the listings
// read and not yet handed out (ordered likewise), the places being read, and
// the cursor: the place the caller asked for last. What lies before the
// cursor is of no more use and is dropped as the cursor moves on. An epoch
// counts the restarts: a listing whose reading began in an older epoch is
// dropped when it comes in.
//
// The calling thread alone keeps the trail, the handed-out nodes from the
// walk's top down to the cursor. It places each path asked for on the trail
// and, whenever the read-ahead must start anew, makes the plan again from
// it: the subfolders of the folder asked for last, then the later
// subfolders of each folder above it.
#include "platform/ReadAheadFileSystem.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <optional>
#include <mutex>
#include <string_view>
#include <utility>

namespace vacantix {

namespace readahead {

// A folder a helper read, held open so that any helper lists its
// subfolders through it rather than by their paths.
using Held = std::shared_ptr<const HeldFolder>;

using NodePtr = std::shared_ptr<const struct Node>;

// Nodes hang from their parents, so that a deep chain of them is let go
// by recursion; a listed folder's path stays within the platform's path
// limit, which keeps that depth to about half of it (2048 levels here).
struct Node {
    NodePtr parent; // null for the walk's top
    std::uint32_t index = 0; // among the parent's subfolders
    std::uint32_t depth = 0;
    unsigned reader = 0;     // the helper that read it, from 1; 0 for the calling thread
    std::string top;         // the path, of the walk's top only
    std::vector<std::string> subfolders;
};

// A place in a walk: subfolder `index` of the folder `parent`.
struct Place {
    const Node* parent = nullptr;
    std::uint32_t index = 0;
};

// Negative when `a` comes before `b` in pre-order, 0 when they are one
// place. Places compare by their chains of indices, so that two nodes made
// for one folder (read twice) stand for the same place.
int Compare(Place a, Place b)
{
    if (a.parent == b.parent) // siblings, the most common case in the ordered maps
        return a.index == b.index ? 0 : (a.index < b.index ? -1 : 1);
    const Node* upA = a.parent;
    const Node* upB = b.parent;
    std::uint32_t indexA = a.index;
    std::uint32_t indexB = b.index;
    int deeper = 0; // a folder comes after the folders above it
    while (upA->depth > upB->depth) {
        indexA = upA->index;
        upA = upA->parent.get();
        deeper = 1;
    }
    while (upB->depth > upA->depth) {
        indexB = upB->index;
        upB = upB->parent.get();
        deeper = -1;
    }
    // The first index that differs from the top decides.
    int order = indexA == indexB ? 0 : (indexA < indexB ? -1 : 1);
    while (upA != upB && upA && upB) {
        if (upA->index != upB->index)
            order = upA->index < upB->index ? -1 : 1;
        upA = upA->parent.get();
        upB = upB->parent.get();
    }
    return order != 0 ? order : deeper;
}

struct PreOrder {
    bool operator()(const Place& a, const Place& b) const { return Compare(a, b) < 0; }
};

void AppendName(std::string& path, std::string_view name)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
}

// The path of subfolder `index` of `parent`, as ChildPath spells it.
std::string PathOf(const Node& parent, std::uint32_t index)
{
    std::vector<const Node*> chain;
    for (const Node* node = &parent; node; node = node->parent.get())
        chain.push_back(node);
    std::string path = chain.back()->top;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        AppendName(path, (*it)->parent->subfolders[(*it)->index]);
    AppendName(path, parent.subfolders[index]);
    return path;
}

NodePtr NodeOf(NodePtr parent, std::uint32_t index, const FsResult<Listing>& listing, unsigned reader = 0)
{
    auto node = std::make_shared<Node>();
    node->reader = reader;
    node->depth = parent->depth + 1;
    node->index = index;
    node->parent = std::move(parent);
    if (listing.ok() && !listing.value().subfoldersFailure)
        node->subfolders = listing.value().subfolders;
    return node;
}

// About what a listing read ahead keeps in memory, its node included.
std::size_t Footprint(const FsResult<Listing>& listing)
{
    std::size_t bytes = sizeof(FsResult<Listing>) + sizeof(Node) + 64;
    if (listing.ok()) {
        for (const std::string& name : listing.value().subfolders)
            bytes += 2 * (sizeof(std::string) + name.size());
        for (const FileEntry& file : listing.value().files)
            bytes += sizeof(FileEntry) + file.name.size();
    }
    return bytes;
}

struct Plan {
    // Subfolders `next` up to `end` of `folder`, not read yet.
    struct Range {
        NodePtr folder;
        Held held; // the folder held open, or null
        std::uint32_t next = 0;
        std::uint32_t end = 0;
    };
    struct Read {
        NodePtr parent;
        std::string path;
        FsResult<Listing> listing;
        NodePtr node;
        std::size_t bytes = 0;
    };
    struct Task {
        NodePtr parent;
        Held held; // the parent held open, or null
        std::uint32_t index = 0;
        std::uint64_t epoch = 0;
    };

    // A helper looks this far into the ranges for one below or beside the
    // folder it read last, which its file system still holds open.
    static constexpr int kNearReach = 4;
    // How many folders the helpers hold open at most, beyond the ones each
    // helper's own file system keeps.
    static constexpr int kMaxHeld = 256;

    explicit Plan(ReadAheadFileSystem::Limits limits)
        : limits(limits), wakeBatch(std::clamp<std::size_t>(limits.listings / 2, 1, 32))
    {
    }

    // Folders held open now; first, so that it outlives the ranges.
    std::atomic<int> heldCount{0};
    std::mutex mutex;
    std::condition_variable work;    // for the helpers: a task and room, a new walk, the end
    std::condition_variable arrived; // for the caller: its listing came in; for the end: a helper left
    const ReadAheadFileSystem::Limits limits;
    // A caller waiting for a listing being read sleeps until this many are
    // ready (or nothing more can be started), so that it wakes once for a
    // run of folders rather than once for each.
    const std::size_t wakeBatch;

    std::map<Place, Range, PreOrder> ranges; // keyed by their next place
    std::map<Place, Read, PreOrder> ready;
    std::vector<Task> reading;
    std::size_t readyBytes = 0;
    Place cursor; // no parent: the walk's top, before every place
    NodePtr cursorParent;
    std::uint64_t epoch = 0;
    std::uint64_t walk = 0;
    unsigned running = 0;
    unsigned idle = 0; // helpers waiting for work
    bool callerWaiting = false;
    Place awaited;
    bool stopping = false;

    [[nodiscard]] bool before(Place place) const { return cursor.parent && Compare(place, cursor) < 0; }

    [[nodiscard]] bool room() const
    {
        return ready.size() + reading.size() < limits.listings && readyBytes < limits.bytes;
    }
    [[nodiscard]] bool canStart() const { return !ranges.empty() && room(); }

    // Wakes the helpers waiting for work when there is some, once the
    // window has half emptied after it was full.
    void wakeHelpers()
    {
        if (idle > 0 && !ranges.empty() && ready.size() + reading.size() <= limits.listings / 2 &&
            readyBytes <= limits.bytes / 2)
            work.notify_all();
    }

    [[nodiscard]] bool beingRead(Place place) const
    {
        return std::any_of(reading.begin(), reading.end(), [&](const Task& task) {
            return task.epoch == epoch && Compare(Place{task.parent.get(), task.index}, place) == 0;
        });
    }

    // Whether the waiting caller should look again.
    [[nodiscard]] bool callerMayGo() const
    {
        if (beingRead(awaited))
            return false;
        if (!ready.contains(awaited))
            return true; // it reads the listing itself
        return ready.size() >= wakeBatch || !canStart();
    }

    void addRange(const NodePtr& folder, std::uint32_t from, Held held = nullptr)
    {
        const auto end = static_cast<std::uint32_t>(folder->subfolders.size());
        if (from < end)
            ranges.emplace(Place{folder.get(), from}, Range{folder, std::move(held), from, end});
    }

    // The next place for helper `reader` to read, the first in pre-order
    // unless one below or beside `last` (what it read last) comes soon.
    Task take(const Node* last)
    {
        auto chosen = ranges.begin();
        if (last) {
            int looked = 0;
            for (auto it = ranges.begin(); it != ranges.end() && looked < kNearReach; ++it, ++looked) {
                const Node* folder = it->second.folder.get();
                if (folder == last || folder == last->parent.get()) {
                    chosen = it;
                    break;
                }
            }
        }
        auto handle = ranges.extract(chosen);
        Range& range = handle.mapped();
        Task task{range.folder, range.held, range.next, epoch};
        if (++range.next < range.end) {
            handle.key() = Place{range.folder.get(), range.next};
            ranges.insert(std::move(handle));
        }
        // What is being read is noted without the held parent, so that the
        // last hold on it goes on the helper's side, outside the lock.
        reading.push_back(Task{task.parent, nullptr, task.index, task.epoch});
        return task;
    }

    // Forgets that `task` is being read; true when it was.
    bool stopReading(const Task& task)
    {
        const auto it = std::find_if(reading.begin(), reading.end(), [&](const Task& other) {
            return other.parent == task.parent && other.index == task.index && other.epoch == task.epoch;
        });
        if (it == reading.end())
            return false;
        reading.erase(it);
        return true;
    }

    // Moves the cursor to `place` and drops whatever comes before it.
    void moveCursor(const NodePtr& parent, std::uint32_t index)
    {
        cursor = Place{parent.get(), index};
        cursorParent = parent;
        const auto firstKept = ready.lower_bound(cursor);
        for (auto it = ready.begin(); it != firstKept; ++it)
            readyBytes -= it->second.bytes;
        ready.erase(ready.begin(), firstKept);
        while (!ranges.empty() && before(ranges.begin()->first)) {
            auto handle = ranges.extract(ranges.begin());
            Range& range = handle.mapped();
            while (range.next < range.end && before(Place{range.folder.get(), range.next}))
                ++range.next;
            if (range.next < range.end) {
                handle.key() = Place{range.folder.get(), range.next};
                ranges.insert(std::move(handle));
            }
        }
    }

    // Takes place `place` out of the ranges, for the caller to read; false
    // when no range holds it.
    bool claim(Place place)
    {
        auto it = ranges.upper_bound(place);
        if (it == ranges.begin())
            return false;
        --it;
        Range& range = it->second;
        if (place.index < range.next || place.index >= range.end ||
            Compare(Place{range.folder.get(), place.index}, place) != 0)
            return false;
        auto handle = ranges.extract(it);
        handle.mapped().next = place.index + 1;
        if (handle.mapped().next < handle.mapped().end) {
            handle.key() = Place{place.parent, place.index + 1};
            ranges.insert(std::move(handle));
        }
        return true;
    }

    // Forgets everything read or planned; what is being read is dropped when
    // it comes in. The caller destroys what `dropped` took, outside the lock.
    void restart(std::map<Place, Read, PreOrder>& dropped, std::map<Place, Range, PreOrder>& droppedRanges)
    {
        ++epoch;
        dropped.swap(ready);
        droppedRanges.swap(ranges);
        readyBytes = 0;
        cursor = Place{};
        cursorParent.reset();
    }
};

// Lists what `plan` asks for through `fs` until told to stop; `reader`
// numbers the helper from 1.
void ReadAhead(const std::shared_ptr<Plan>& plan, std::unique_ptr<FileSystem> fs, unsigned reader);

} // namespace readahead

using readahead::Compare;
using readahead::Node;
using readahead::NodeOf;
using readahead::Place;
using readahead::Plan;
using readahead::PreOrder;

ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& fs, unsigned readers, const ReaderFactory& makeReader)
    : ReadAheadFileSystem(fs, readers, makeReader, Limits{})
{
}

ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& fs, unsigned readers, const ReaderFactory& makeReader,
                                         Limits limits)
    : fs_(fs)
{
    if (readers == 0)
        return;
    limits.listings = std::max<std::size_t>(limits.listings, 1);
    plan_ = std::make_shared<Plan>(limits);
    for (unsigned i = 0; i < readers; ++i) {
        std::unique_ptr<FileSystem> own = makeReader();
        {
            const std::lock_guard lock(plan_->mutex);
            ++plan_->running;
        }
        threads_.emplace_back([plan = plan_, own = std::move(own), reader = i + 1]() mutable {
            readahead::ReadAhead(plan, std::move(own), reader);
        });
    }
}

ReadAheadFileSystem::~ReadAheadFileSystem()
{
    if (!plan_)
        return;
    std::unique_lock lock(plan_->mutex);
    plan_->stopping = true;
    plan_->work.notify_all();
    const bool allLeft =
        plan_->arrived.wait_for(lock, std::chrono::seconds(2), [&] { return plan_->running == 0; });
    lock.unlock();
    for (std::thread& thread : threads_) {
        if (allLeft)
            thread.join();
        else
            thread.detach();
    }
    trail_.clear();
}

namespace readahead {

void ReadAhead(const std::shared_ptr<Plan>& plan, std::unique_ptr<FileSystem> fs, unsigned reader)
{
    std::unique_lock lock(plan->mutex);
    std::uint64_t walk = plan->walk;
    NodePtr last; // what this helper read last
    for (;;) {
        if (!plan->stopping && plan->walk == walk && !plan->canStart()) {
            ++plan->idle;
            plan->work.wait(lock, [&] { return plan->stopping || plan->walk != walk || plan->canStart(); });
            --plan->idle;
        }
        if (plan->stopping)
            break;
        if (plan->walk != walk) {
            walk = plan->walk;
            last.reset();
            lock.unlock();
            fs->endWalk();
            lock.lock();
            continue;
        }
        Plan::Task task = plan->take(last.get());
        lock.unlock();

        std::string path;
        std::optional<FsResult<Listing>> listing;
        NodePtr node;
        Held held;
        std::size_t bytes = 0;
        try {
            path = PathOf(*task.parent, task.index);
            // Through the parent held open where there is one: no look-up
            // of the whole path, and where the parent lies is known.
            std::unique_ptr<HeldFolder> own;
            const bool mayHold = plan->heldCount.load(std::memory_order_relaxed) < Plan::kMaxHeld;
            listing.emplace(fs->listBelow(task.held.get(), path, mayHold ? &own : nullptr));
            if (own && listing->ok() && !listing->value().subfolders.empty() && !listing->value().subfoldersFailure) {
                plan->heldCount.fetch_add(1, std::memory_order_relaxed);
                Plan* const counted = plan.get();
                held = Held(own.release(), [counted](const HeldFolder* folder) {
                    delete folder;
                    counted->heldCount.fetch_sub(1, std::memory_order_relaxed);
                });
            }
            task.held.reset();
            node = NodeOf(task.parent, task.index, *listing, reader);
            bytes = Footprint(*listing);
        } catch (const std::exception&) {
            listing.reset(); // the caller reads it itself
        }

        lock.lock();
        const Place place{task.parent.get(), task.index};
        if (plan->stopReading(task) && listing && task.epoch == plan->epoch && !plan->before(place)) {
            plan->addRange(node, 0, std::move(held));
            plan->ready.emplace(place, Plan::Read{task.parent, std::move(path), std::move(*listing), node, bytes});
            plan->readyBytes += bytes;
            last = std::move(node);
            if (plan->idle > 0 && plan->canStart())
                plan->work.notify_one();
        } else if (listing) {
            // Dropped, and destroyed without the lock.
            lock.unlock();
            listing.reset();
            node.reset();
            held.reset();
            lock.lock();
        }
        if (plan->callerWaiting && plan->callerMayGo())
            plan->arrived.notify_all();
    }
    --plan->running;
    plan->arrived.notify_all();
    lock.unlock();
    fs.reset();
}

} // namespace readahead

bool ReadAheadFileSystem::locate(const std::string& folder, std::size_t& level, std::uint32_t& index) const
{
    if (trail_.empty())
        return false;
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos || slash + 1 == folder.size() || (slash > 0 && folder[slash - 1] == '/'))
        return false;
    const std::size_t parentLength = slash == 0 ? 1 : slash;
    std::size_t below = trail_.size();
    while (below > 0 && lengths_[below - 1] > parentLength)
        --below;
    if (below == 0 || lengths_[below - 1] != parentLength ||
        lastPath_.compare(0, parentLength, folder, 0, parentLength) != 0)
        return false;
    level = below - 1;

    // Look outward from where a walk in order (or in reverse) goes next.
    const std::string_view name = std::string_view(folder).substr(slash + 1);
    const std::vector<std::string>& names = trail_[level]->subfolders;
    const std::size_t count = names.size();
    const std::size_t hint = level + 1 < trail_.size() ? trail_[level + 1]->index + 1 : 0;
    for (std::size_t distance = 0; distance <= count; ++distance) {
        if (hint + distance < count && names[hint + distance] == name) {
            index = static_cast<std::uint32_t>(hint + distance);
            return true;
        }
        if (distance < hint && hint - 1 - distance < count && names[hint - 1 - distance] == name) {
            index = static_cast<std::uint32_t>(hint - 1 - distance);
            return true;
        }
        if (hint + distance >= count && distance >= hint)
            break;
    }
    return false;
}

FsResult<Listing> ReadAheadFileSystem::list(const std::string& folder)
{
    if (!plan_ || passive_)
        return fs_.list(folder);
    std::size_t level = 0;
    std::uint32_t index = 0;
    if (!locate(folder, level, index)) {
        FsResult<Listing> listing = fs_.list(folder);
        startAt(folder, listing);
        return listing;
    }
    const NodePtr parent = trail_[level];
    const Place place{parent.get(), index};
    const auto readHere = [&] {
        FsResult<Listing> listing = fs_.list(folder);
        descend(level, NodeOf(parent, index, listing), folder);
        return listing;
    };

    if (trail_.size() > 1 && Compare(place, Place{trail_[trail_.size() - 2].get(), trail_.back()->index}) <= 0) {
        // The walk went back. One step back follows a look at a tree
        // before its walk (the zero-byte rule reads a tree, then the search
        // walks it); a walk in reverse order steps back at nearly every
        // folder, and is read here alone.
        constexpr int kBackInARowForReverse = 3;
        if (++backInARow_ >= kBackInARowForReverse) {
            goPassive();
            return fs_.list(folder);
        }
        return readHere();
    }
    backInARow_ = 0;

    std::unique_lock lock(plan_->mutex);
    if (plan_->cursor.parent && Compare(place, plan_->cursor) <= 0) {
        // Behind what was read ahead, after a step back: read here until
        // the walk catches up.
        lock.unlock();
        return readHere();
    }
    plan_->moveCursor(parent, index);
    for (;;) {
        if (const auto it = plan_->ready.find(place); it != plan_->ready.end()) {
            Plan::Read read = std::move(it->second);
            plan_->readyBytes -= read.bytes;
            plan_->ready.erase(it);
            plan_->wakeHelpers();
            lock.unlock();
            // A place read under a listing that has changed since may name
            // another folder.
            if (read.path != folder)
                return readHere();
            descend(level, std::move(read.node), folder);
            return std::move(read.listing);
        }
        if (!plan_->beingRead(place))
            break;
        plan_->wakeHelpers();
        plan_->callerWaiting = true;
        plan_->awaited = place;
        // Bounded, so that a helper stuck elsewhere holds up no listing that is ready.
        plan_->arrived.wait_for(lock, std::chrono::milliseconds(2), [&] { return plan_->callerMayGo(); });
        plan_->callerWaiting = false;
    }

    // Not read yet: read it here, and let the helpers go on below it.
    const bool planned = plan_->claim(place);
    lock.unlock();
    FsResult<Listing> listing = readHere();
    const NodePtr& node = trail_.back();
    if (!planned) {
        replan();
        return listing;
    }
    lock.lock();
    plan_->addRange(node, 0);
    if (plan_->idle > 0)
        plan_->work.notify_all();
    return listing;
}

FsResult<Listing> ReadAheadFileSystem::listNamed(const std::string& folder)
{
    FsResult<Listing> listing = fs_.listNamed(folder);
    if (plan_ && !passive_)
        startAt(folder, listing);
    return listing;
}

void ReadAheadFileSystem::startAt(const std::string& folder, const FsResult<Listing>& listing)
{
    auto top = std::make_shared<Node>();
    top->top = folder;
    if (listing.ok() && !listing.value().subfoldersFailure)
        top->subfolders = listing.value().subfolders;
    trail_.clear();
    lengths_.clear();
    trail_.push_back(top);
    lengths_.push_back(folder.size());
    lastPath_ = folder;
    replan();
}

void ReadAheadFileSystem::descend(std::size_t level, NodePtr node, const std::string& folder)
{
    trail_.resize(level + 1);
    lengths_.resize(level + 1);
    trail_.push_back(std::move(node));
    lengths_.push_back(folder.size());
    lastPath_ = folder;
}

void ReadAheadFileSystem::replan()
{
    std::map<Place, Plan::Read, PreOrder> dropped;
    std::map<Place, Plan::Range, PreOrder> droppedRanges;
    {
        const std::lock_guard lock(plan_->mutex);
        plan_->restart(dropped, droppedRanges);
        const std::size_t last = trail_.size() - 1;
        if (last > 0) {
            plan_->cursor = Place{trail_[last - 1].get(), trail_[last]->index};
            plan_->cursorParent = trail_[last - 1];
        }
        for (std::size_t level = 0; level <= last; ++level)
            plan_->addRange(trail_[level], level < last ? trail_[level + 1]->index + 1 : 0);
        plan_->work.notify_all();
    }
}

void ReadAheadFileSystem::goPassive()
{
    std::map<Place, Plan::Read, PreOrder> dropped;
    std::map<Place, Plan::Range, PreOrder> droppedRanges;
    {
        const std::lock_guard lock(plan_->mutex);
        plan_->restart(dropped, droppedRanges);
    }
    droppedRanges.clear();
    dropped.clear();
    trail_.clear();
    lengths_.clear();
    lastPath_.clear();
    passive_ = true;
}

void ReadAheadFileSystem::endWalk()
{
    if (plan_) {
        goPassive();
        {
            const std::lock_guard lock(plan_->mutex);
            ++plan_->walk;
            plan_->work.notify_all();
        }
    }
    backInARow_ = 0;
    passive_ = false;
    fs_.endWalk();
}

void ReadAheadFileSystem::callerYielded()
{
    if (plan_ && !trail_.empty())
        replan();
    fs_.callerYielded();
}

FsResult<Done> ReadAheadFileSystem::createFolder(const std::string& path)
{
    auto made = fs_.createFolder(path);
    if (plan_ && !trail_.empty())
        replan();
    return made;
}

unsigned ReadAheadReaders()
{
    if (const char* value = std::getenv("VACANTIX_READERS"); value && *value) {
        char* end = nullptr;
        const unsigned long readers = std::strtoul(value, &end, 10);
        if (*end == '\0')
            return static_cast<unsigned>(std::min(readers, 16ul));
    }
    return std::thread::hardware_concurrency() >= 2 ? 2 : 0;
}

} // namespace vacantix
