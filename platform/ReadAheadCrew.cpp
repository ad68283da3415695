// SPDX-License-Identifier: GPL-3.0-or-later
//
// How the helpers and the walk share their work without a lock per folder.
// The walk owns the folders on its path; each folder owns one slot per
// subfolder. A slot changes hands by its atomic state alone: whoever moves
// it from Free (or Again) to Claimed reads it and fills it in, then sets
// Ready with release; the walk sees Ready with an acquire load and takes the
// read. The lock guards only the helpers' queue of folders with slots left,
// which the walk touches when it reads a folder itself or starts anew. The
// walk sleeps only when the slot it needs is being read, and is woken by the
// helper that finishes that slot, nobody else.
#include "platform/ReadAheadCrew.h"

#include <algorithm>
#include <chrono>

namespace vacantix::readahead {

namespace {

// Lets the core breathe while spinning on a flag another core will set soon.
void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// About what a read keeps in memory.
std::size_t footprint(const Read& read)
{
    std::size_t bytes = sizeof(Read) + 64;
    if (read.listing.ok()) {
        for (const std::string& name : read.listing.value().subfolders)
            bytes += 2 * (sizeof(std::string) + name.size()); // the folder keeps a copy
        for (const FileEntry& file : read.listing.value().files)
            bytes += sizeof(FileEntry) + file.name.size();
    }
    return bytes;
}

} // namespace

Read::~Read()
{
    if (counted)
        counted->uncount(*this);
}

Folder::Folder(std::string path, std::vector<std::string> names, std::uint64_t epoch)
    : path(std::move(path)), names(std::move(names)), slots(std::make_unique<Slot[]>(this->names.size())),
      unclaimed(static_cast<std::uint32_t>(this->names.size())), epoch(epoch)
{
}

void Folder::claimDone()
{
    // Whoever claims a slot opens it from the held folder it took first;
    // once every slot is claimed the folder needs holding no more.
    if (unclaimed.fetch_sub(1, std::memory_order_acq_rel) == 1)
        held.store(nullptr);
}

bool Folder::wanted(std::uint64_t current) const
{
    std::shared_ptr<const Folder> keep;
    for (const Folder* at = this;;) {
        switch (at->standing.load(std::memory_order_acquire)) {
        case Standing::Path: return true;
        case Standing::Left: return false;
        case Standing::Ahead: break;
        }
        if (at->epoch != current)
            return false;
        keep = at->parent.lock();
        if (!keep)
            return false;
        at = keep.get();
    }
}

Crew::Crew(ReaderFactory makeReader, Limits limits) : makeReader_(std::move(makeReader)), limits_(limits) {}

Crew::~Crew()
{
    stop();
}

bool Crew::addHelper(const std::shared_ptr<Crew>& self)
{
    std::unique_ptr<FileSystem> fs = makeReader_();
    if (!fs)
        return false;
    {
        const std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        ++running_;
    }
    threads_.emplace_back([self, fs = std::move(fs)]() mutable { self->run(std::move(fs)); });
    return true;
}

void Crew::stop()
{
    std::vector<FolderPtr> dropped;
    std::unique_lock lock(mutex_);
    stopping_ = true;
    work_.notify_all();
    const bool allLeft = left_.wait_for(lock, std::chrono::seconds(2), [&] { return running_ == 0; });
    dropped.swap(queue_);
    lock.unlock();
    for (std::thread& thread : threads_) {
        if (allLeft)
            thread.join();
        else
            thread.detach();
    }
    threads_.clear();
}

void Crew::offer(const FolderPtr& folder, std::uint32_t first)
{
    if (first >= folder->names.size())
        return;
    const std::lock_guard lock(mutex_);
    folder->next = first;
    enqueue(folder);
    work_.notify_one();
}

void Crew::restart()
{
    std::vector<FolderPtr> dropped;
    epoch_.fetch_add(1, std::memory_order_acq_rel);
    const std::lock_guard lock(mutex_);
    dropped.swap(queue_);
}

std::vector<std::uint32_t> Crew::placeOnTop()
{
    return {++tops_};
}

bool Crew::Later::operator()(const FolderPtr& a, const FolderPtr& b) const
{
    // Each folder's next slot as the chain of slot indices down from the
    // walk's top: the first index that differs decides, and a folder's
    // slot comes before the folders read below it.
    const std::vector<std::uint32_t>& pa = a->place;
    const std::vector<std::uint32_t>& pb = b->place;
    const std::size_t common = std::min(pa.size(), pb.size());
    for (std::size_t i = 0; i < common; ++i)
        if (pa[i] != pb[i])
            return pa[i] > pb[i];
    if (pa.size() == pb.size())
        return a->next > b->next;
    if (pa.size() < pb.size())
        return a->next > pb[common];
    return pa[common] >= b->next;
}

void Crew::enqueue(FolderPtr folder)
{
    queue_.push_back(std::move(folder));
    std::push_heap(queue_.begin(), queue_.end(), Later{});
}

bool Crew::room() const
{
    return readyListings_.load(std::memory_order_relaxed) < limits_.listings &&
           readyBytes_.load(std::memory_order_relaxed) < limits_.bytes;
}

std::optional<Crew::Task> Crew::claimNext(std::vector<FolderPtr>& dropped)
{
    while (!stopping_ && !queue_.empty() && room()) {
        std::pop_heap(queue_.begin(), queue_.end(), Later{});
        FolderPtr folder = std::move(queue_.back());
        queue_.pop_back();
        // Nothing the walk has passed by.
        const std::uint32_t index = std::max(folder->next, folder->passed.load(std::memory_order_relaxed));
        if (index >= folder->names.size() || !folder->wanted(epoch())) {
            dropped.push_back(std::move(folder));
            continue;
        }
        folder->next = index + 1;
        Slot& slot = folder->slots[index];
        std::uint32_t state = slot.state.load(std::memory_order_relaxed);
        const bool claimed = (state == Free || state == Again) &&
                             slot.state.compare_exchange_strong(state, Claimed, std::memory_order_acq_rel);
        if (folder->next < folder->names.size())
            enqueue(folder);
        if (!claimed)
            continue;
        readyListings_.fetch_add(1, std::memory_order_relaxed);
        return Task{std::move(folder), index, state == Free};
    }
    return std::nullopt;
}

std::optional<Crew::Task> Crew::awaitTask(std::unique_lock<std::mutex>& lock)
{
    for (;;) {
        std::vector<FolderPtr> dropped; // let go without the lock: it may close folders
        std::optional<Task> task = claimNext(dropped);
        if (!dropped.empty()) {
            lock.unlock();
            dropped.clear();
            lock.lock();
        }
        if (task || stopping_)
            return task;
        sleepingForRoom_.store(!queue_.empty(), std::memory_order_seq_cst);
        // Bounded, so that a wake-up lost to a race costs a pause, not the walk.
        work_.wait_for(lock, std::chrono::milliseconds(100));
    }
}

void Crew::perform(FileSystem& fs, Task task)
{
    std::unique_ptr<Read> done;
    try {
        done = read(fs, task.folder, task.index, task.firstClaim);
    } catch (const std::exception&) {
        done.reset(); // the walk reads it itself
    }
    Slot& slot = task.folder->slots[task.index];
    FolderPtr below = done ? done->folder : nullptr;
    if (done) {
        publish(slot, std::move(done));
    } else {
        readyListings_.fetch_sub(1, std::memory_order_relaxed);
        slot.state.store(Again, std::memory_order_release);
        wakeWalk(slot);
    }
    task.folder.reset();
    if (below) {
        const std::lock_guard lock(mutex_);
        enqueue(std::move(below));
        work_.notify_one();
    }
}

void Crew::expectWalk(WalkNeeds needs)
{
    needs_.store(static_cast<std::uint8_t>((needs.fileSizes ? kSizes : 0) | (needs.modificationTimes ? kModified : 0)),
                 std::memory_order_relaxed);
}

void Crew::passNeedsOn(FileSystem& fs, std::uint8_t& told) const
{
    const std::uint8_t needs = needs_.load(std::memory_order_relaxed);
    if (needs == told)
        return;
    fs.expectWalk(WalkNeeds{(needs & kSizes) != 0, (needs & kModified) != 0});
    told = needs;
}

void Crew::run(std::unique_ptr<FileSystem> fs)
{
    std::uint8_t told = kSizes | kModified; // what a new file system expects
    std::unique_lock lock(mutex_);
    while (std::optional<Task> task = awaitTask(lock)) {
        lock.unlock();
        passNeedsOn(*fs, told);
        perform(*fs, std::move(*task));
        lock.lock();
    }
    --running_;
    left_.notify_all();
    lock.unlock();
    fs.reset();
}

bool Crew::helpOnce(FileSystem& fs)
{
    std::vector<FolderPtr> dropped;
    std::optional<Task> task;
    {
        const std::lock_guard lock(mutex_);
        task = claimNext(dropped);
    }
    dropped.clear();
    if (!task)
        return false;
    perform(fs, std::move(*task));
    return true;
}

std::unique_ptr<Read> Crew::read(FileSystem& fs, const FolderPtr& folder, std::uint32_t index, bool firstClaim)
{
    auto read = std::make_unique<Read>();
    read->epoch = epoch();
    std::string path = ChildPath(folder->path, folder->names[index]);
    std::unique_ptr<HeldFolder> own;
    {
        struct ClaimEnd {
            Folder* folder;
            ~ClaimEnd()
            {
                if (folder)
                    folder->claimDone();
            }
        } end{firstClaim ? folder.get() : nullptr};
        const std::shared_ptr<const HeldFolder> parent = folder->heldForClaim();
        const bool mayHold = held_.load(std::memory_order_relaxed) < kMaxHeld;
        read->listing = fs.listBelow(parent.get(), path, mayHold ? &own : nullptr);
    }
    finish(fs, *read, std::move(path), std::move(own));
    if (read->folder) {
        read->folder->parent = folder;
        read->folder->place = folder->place;
        read->folder->place.push_back(index);
    }
    return read;
}

std::unique_ptr<Read> Crew::readOutside(FileSystem& fs, const HeldFolder* parent, const std::string& path,
                                        bool named)
{
    auto read = std::make_unique<Read>();
    read->epoch = epoch();
    std::unique_ptr<HeldFolder> own;
    read->listing = named ? fs.listNamedHeld(path, &own) : fs.listBelow(parent, path, &own);
    finish(fs, *read, path, std::move(own));
    if (read->folder) {
        // The walk reads such a folder where it stands: after every folder
        // offered before it, in the order of the walk.
        const std::lock_guard lock(mutex_);
        read->folder->place = placeOnTop();
    }
    return read;
}

void Crew::finish(FileSystem& fs, Read& read, std::string path, std::unique_ptr<HeldFolder> own)
{
    if (!read.listing.ok())
        return;
    const Listing& listing = read.listing.value();
    // From the folder held open, or as its file system gives them.
    if (needs_.load(std::memory_order_relaxed) & kSizes) {
        for (const FileEntry& file : listing.files) {
            if (file.kind != EntryKind::RegularFile)
                continue;
            auto bytes = fs.fileSizeBelow(own.get(), path, file.name);
            const bool last = !bytes || bytes.value() > 0;
            read.sizes.emplace_back(file.name, std::move(bytes));
            if (last)
                break;
        }
    }
    if (!listing.subfoldersFailure && !listing.subfolders.empty()) {
        read.folder = std::make_shared<Folder>(std::move(path), listing.subfolders, read.epoch);
        if (own) {
            held_.fetch_add(1, std::memory_order_relaxed);
            read.folder->held.store(std::shared_ptr<const HeldFolder>(own.release(), [this](const HeldFolder* held) {
                delete held;
                held_.fetch_sub(1, std::memory_order_relaxed);
            }));
        }
    }
    read.bytes = footprint(read);
}

void Crew::publish(Slot& slot, std::unique_ptr<Read> read)
{
    readyBytes_.fetch_add(read->bytes, std::memory_order_relaxed);
    read->counted = this;
    slot.read = std::move(read);
    slot.state.store(Ready, std::memory_order_release);
    wakeWalk(slot);
}

void Crew::wakeWalk(const Slot& slot)
{
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (awaited_.load(std::memory_order_seq_cst) == &slot) {
        // Under the lock the walk checks the slot with, so that the wake-up
        // cannot fall between its check and its sleep.
        const std::lock_guard lock(sleepMutex_);
        walkAwake_.notify_one();
    }
}

bool Crew::awaitClaimed(const Slot& slot)
{
    // On a warm disk the helper is about done: a short spin saves a sleep.
    constexpr int kSpins = 64;
    for (int i = 0; i < kSpins; ++i) {
        if (slot.state.load(std::memory_order_acquire) != Claimed)
            return false;
        relax();
    }
    const auto since = std::chrono::steady_clock::now();
    awaited_.store(&slot, std::memory_order_seq_cst);
    {
        std::unique_lock lock(sleepMutex_);
        walkAwake_.wait(lock, [&] { return slot.state.load(std::memory_order_seq_cst) != Claimed; });
    }
    awaited_.store(nullptr, std::memory_order_relaxed);
    return std::chrono::steady_clock::now() - since > std::chrono::microseconds(50);
}

std::unique_ptr<Read> Crew::take(Slot& slot)
{
    std::unique_ptr<Read> read = std::move(slot.read);
    slot.state.store(Taken, std::memory_order_relaxed);
    if (read && read->counted) {
        uncount(*read);
        read->counted = nullptr;
    }
    return read;
}

void Crew::uncount(const Read& read)
{
    readyListings_.fetch_sub(1, std::memory_order_relaxed);
    readyBytes_.fetch_sub(read.bytes, std::memory_order_relaxed);
    // Without the lock: a read may go while its thread holds it (a folder
    // let go off the queue). A wake-up lost to that costs the helpers the
    // rest of their bounded sleep.
    if (sleepingForRoom_.load(std::memory_order_seq_cst) &&
        readyListings_.load(std::memory_order_relaxed) <= limits_.listings / 2) {
        sleepingForRoom_.store(false, std::memory_order_relaxed);
        work_.notify_all();
    }
}

} // namespace vacantix::readahead
