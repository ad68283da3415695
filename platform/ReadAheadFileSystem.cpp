// SPDX-License-Identifier: GPL-3.0-or-later
//
// The walk's side. The trail holds the folders handed out, from the walk's
// top down to the one listed last, with the length of each one's path, so
// that a path asked for is placed by its parent's length and its own name:
// no path is taken apart or built. Without helpers a level holds its folder
// open, and the next folder is opened from its parent's descriptor. With
// helpers a level holds the slots of its subfolders (see ReadAheadCrew.h),
// and the walk takes what is ready there or reads it itself.
#include "platform/ReadAheadFileSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/PathRoot.h"
#include "platform/ReadAheadCrew.h"

namespace vacantix {

using readahead::Crew;
using readahead::Read;
using readahead::Slot;
using readahead::Standing;

namespace {

// Folders held open along the trail without helpers, at most.
constexpr std::size_t kMaxHeldLevels = 256;

// The walk grows the crew when it waited for the disk this often.
constexpr unsigned kListsPerCount = 32;
constexpr unsigned kWaitsToGrow = 8;

// A read by the walk itself this slow counts as a wait for the disk.
constexpr auto kSlowRead = std::chrono::microseconds(50);

} // namespace

ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& fs, ReaderCount readers, ReaderFactory makeReader)
    : ReadAheadFileSystem(fs, readers, std::move(makeReader), Limits{})
{
}

ReadAheadFileSystem::ReadAheadFileSystem(FileSystem& fs, ReaderCount readers, ReaderFactory makeReader,
                                         Limits limits)
    : fs_(fs), readers_(readers)
{
    if (readers_.most == 0)
        return;
    crew_ = std::make_shared<Crew>(std::move(makeReader),
                                   Crew::Limits{std::max<std::size_t>(limits.listings, 1), limits.bytes});
    for (unsigned i = 0; i < readers_.first; ++i)
        crew_->addHelper(crew_);
}

ReadAheadFileSystem::~ReadAheadFileSystem()
{
    leaveTrail(0);
    if (crew_)
        crew_->stop();
}

unsigned ReadAheadFileSystem::readers() const
{
    return crew_ ? crew_->helpers() : 0;
}

bool ReadAheadFileSystem::locate(const std::string& folder, Place& place) const
{
    if (trail_.empty())
        return false;
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos || slash + 1 == folder.size())
        return false;
    std::size_t parentLength = slash;
    if (RootLength(folder) == slash + 1)
        parentLength = slash + 1; // a root keeps the separator that ends it
    else if (slash > 0 && folder[slash - 1] == '/')
        return false; // no child path has a doubled separator
    std::size_t level = trail_.size();
    while (level > 0 && trail_[level - 1].length > parentLength)
        --level;
    if (level == 0 || trail_[level - 1].length != parentLength ||
        lastPath_.compare(0, parentLength, folder, 0, parentLength) != 0)
        return false;
    place.level = level - 1;
    place.name = std::string_view(folder).substr(slash + 1);
    return true;
}

FsResult<Listing> ReadAheadFileSystem::list(const std::string& folder)
{
    Place place;
    if (!locate(folder, place))
        return startAt(folder, false);
    if (!readingAhead())
        return readHere(place, folder);
    if (!trailHasSlots_)
        adoptTrail();
    return readAhead(place, folder);
}

void ReadAheadFileSystem::adoptTrail()
{
    // The helpers started halfway down: the folders on the trail were read
    // without slots. Read once more they get theirs, from the deepest up,
    // so that the helpers read on from where the walk stands.
    for (std::size_t i = trail_.size(); i-- > 0;) {
        Level& level = trail_[i];
        if (level.folder)
            continue;
        const bool named = i == 0 && topNamed_;
        std::unique_ptr<Read> read = crew_->readOutside(fs_, nullptr, lastPath_.substr(0, level.length), named);
        level.folder = read->folder;
        if (!level.folder)
            continue;
        level.folder->standing.store(Standing::Path, std::memory_order_release);
        if (i + 1 < trail_.size()) {
            const std::string next = lastPath_.substr(0, trail_[i + 1].length);
            Place below;
            if (locate(next, below) && below.level == i) {
                const std::uint32_t index = indexOf(below);
                level.nextIndex = index == UINT32_MAX ? 0 : index + 1;
            }
        }
        level.folder->passed.store(level.nextIndex, std::memory_order_relaxed);
        crew_->offer(level.folder, level.nextIndex);
    }
    trailHasSlots_ = true;
}

bool ReadAheadFileSystem::readingAhead() const
{
    return crew_ && crew_->helpers() > 0;
}

FsResult<Listing> ReadAheadFileSystem::listNamed(const std::string& folder)
{
    return startAt(folder, true);
}

FsResult<Listing> ReadAheadFileSystem::startAt(const std::string& folder, bool named)
{
    leaveTrail(0);
    Level top;
    top.length = folder.size();
    trailHasSlots_ = readingAhead();
    topNamed_ = named;
    if (!trailHasSlots_) {
        const auto since = std::chrono::steady_clock::now();
        std::unique_ptr<HeldFolder> hold;
        FsResult<Listing> listing = named ? fs_.listNamedHeld(folder, &hold) : fs_.listBelow(nullptr, folder, &hold);
        noteRead(since);
        top.held = std::move(hold);
        lastSizes_.clear();
        descend(0, std::move(top), folder);
        return listing;
    }
    std::unique_ptr<Read> read = crew_->readOutside(fs_, nullptr, folder, named);
    top.folder = read->folder;
    if (top.folder) {
        top.folder->standing.store(Standing::Path, std::memory_order_release);
        crew_->offer(top.folder);
    }
    lastSizes_ = std::move(read->sizes);
    descend(0, std::move(top), folder);
    return std::move(read->listing);
}

FsResult<Listing> ReadAheadFileSystem::readHere(const Place& place, const std::string& folder)
{
    const auto since = std::chrono::steady_clock::now();
    std::unique_ptr<HeldFolder> hold;
    FsResult<Listing> listing = fs_.listBelow(trail_[place.level].held.get(), folder, &hold);
    noteRead(since);
    Level next;
    next.length = folder.size();
    next.held = std::move(hold);
    lastSizes_.clear();
    descend(place.level + 1, std::move(next), folder);
    return listing;
}

FsResult<Listing> ReadAheadFileSystem::readAhead(const Place& place, const std::string& folder)
{
    Level& parent = trail_[place.level];
    const std::uint32_t index = parent.folder ? indexOf(place) : UINT32_MAX;
    std::unique_ptr<Read> read;
    bool byWalk = true;
    if (index == UINT32_MAX) {
        // Not among the subfolders the parent was listed with, or listed
        // before the helpers started.
        read = crew_->readOutside(fs_, parent.held.get(), folder, false);
    } else {
        dropSkipped(parent, index);
        parent.nextIndex = index + 1;
        parent.folder->passed.store(parent.nextIndex, std::memory_order_relaxed);
        const readahead::FolderPtr folders = parent.folder;
        read = take(folders, index, byWalk);
    }
    Level next;
    next.length = folder.size();
    next.folder = read->folder;
    if (next.folder) {
        next.folder->standing.store(Standing::Path, std::memory_order_release);
        if (byWalk)
            crew_->offer(next.folder);
    }
    lastSizes_ = std::move(read->sizes);
    descend(place.level + 1, std::move(next), folder);
    return std::move(read->listing);
}

std::unique_ptr<Read> ReadAheadFileSystem::take(const readahead::FolderPtr& folder, std::uint32_t index,
                                                bool& byWalk)
{
    Slot& slot = folder->slots[index];
    for (;;) {
        std::uint32_t state = slot.state.load(std::memory_order_acquire);
        if (state == readahead::Claimed) {
            // Rather than wait, read further ahead while a helper has it; a
            // slow read there is the disk making the walk wait too.
            const auto since = std::chrono::steady_clock::now();
            if (crew_->helpOnce(fs_))
                noteRead(since);
            else
                noteWait(crew_->awaitClaimed(slot));
            continue;
        }
        if (state == readahead::Ready) {
            std::unique_ptr<Read> read = crew_->take(slot);
            if (read->epoch == crew_->epoch()) {
                byWalk = false;
                noteWait(false);
                return read;
            }
            continue; // read before the disk may have changed: read again
        }
        // Free, or to be read again; a slot taken already is asked again.
        if (state != readahead::Taken &&
            !slot.state.compare_exchange_strong(state, readahead::Claimed, std::memory_order_acq_rel))
            continue;
        const auto since = std::chrono::steady_clock::now();
        std::unique_ptr<Read> read = crew_->read(fs_, folder, index, state == readahead::Free);
        slot.state.store(readahead::Taken, std::memory_order_release);
        byWalk = true;
        noteRead(since);
        return read;
    }
}

std::uint32_t ReadAheadFileSystem::indexOf(const Place& place) const
{
    // Look outward from where a walk in order goes next.
    const Level& parent = trail_[place.level];
    const std::vector<std::string>& names = parent.folder->names;
    const std::size_t count = names.size();
    const std::size_t hint = std::min<std::size_t>(parent.nextIndex, count);
    for (std::size_t distance = 0; distance <= count; ++distance) {
        if (hint + distance < count && names[hint + distance] == place.name)
            return static_cast<std::uint32_t>(hint + distance);
        if (distance < hint && names[hint - 1 - distance] == place.name)
            return static_cast<std::uint32_t>(hint - 1 - distance);
        if (hint + distance >= count && distance >= hint)
            break;
    }
    return UINT32_MAX;
}

void ReadAheadFileSystem::dropSkipped(Level& level, std::uint32_t index)
{
    // Subfolders the walk passed by without asking (ignored, or a stop)
    // leave the window at once.
    for (std::uint32_t skipped = level.nextIndex; skipped < index; ++skipped) {
        Slot& slot = level.folder->slots[skipped];
        if (slot.state.load(std::memory_order_acquire) == readahead::Ready)
            (void)crew_->take(slot);
    }
}

void ReadAheadFileSystem::descend(std::size_t level, Level next, const std::string& folder)
{
    leaveTrail(level);
    if (next.held)
        ++heldLevels_;
    trail_.push_back(std::move(next));
    lastPath_.assign(folder);
    holdAtMost();
}

void ReadAheadFileSystem::holdAtMost()
{
    // The deepest folders are the ones the walk lists from next.
    while (heldLevels_ > kMaxHeldLevels) {
        while (!trail_[shallowestHeld_].held)
            ++shallowestHeld_;
        trail_[shallowestHeld_++].held.reset();
        --heldLevels_;
    }
}

void ReadAheadFileSystem::leaveTrail(std::size_t keep)
{
    while (trail_.size() > keep) {
        Level& last = trail_.back();
        if (last.folder)
            last.folder->standing.store(Standing::Left, std::memory_order_release);
        if (last.held)
            --heldLevels_;
        trail_.pop_back();
    }
    shallowestHeld_ = std::min(shallowestHeld_, keep);
}

void ReadAheadFileSystem::offerTrailAgain()
{
    crew_->restart();
    for (Level& level : trail_) {
        if (!level.folder)
            continue;
        const std::size_t count = level.folder->names.size();
        for (std::size_t i = level.nextIndex; i < count; ++i) {
            Slot& slot = level.folder->slots[i];
            if (slot.state.load(std::memory_order_acquire) != readahead::Ready)
                continue;
            (void)crew_->take(slot);
            slot.state.store(readahead::Again, std::memory_order_release);
        }
        crew_->offer(level.folder, level.nextIndex);
    }
}

void ReadAheadFileSystem::noteRead(std::chrono::steady_clock::time_point since)
{
    if (crew_)
        noteWait(std::chrono::steady_clock::now() - since > kSlowRead);
}

void ReadAheadFileSystem::noteWait(bool waited)
{
    waitsSinceCount_ += waited ? 1 : 0;
    if (++listsSinceCount_ < kListsPerCount)
        return;
    if (waitsSinceCount_ >= kWaitsToGrow && crew_->helpers() < readers_.most) {
        // Doubling, from two: a disk that keeps the walk waiting with some
        // helpers keeps it waiting with a few more.
        const unsigned more = std::max(crew_->helpers(), 2u);
        for (unsigned i = 0; i < more && crew_->helpers() < readers_.most; ++i)
            crew_->addHelper(crew_);
    }
    listsSinceCount_ = 0;
    waitsSinceCount_ = 0;
}

FsResult<std::uint64_t> ReadAheadFileSystem::fileSize(const std::string& folder, const std::string& name)
{
    if (!trail_.empty() && folder == lastPath_) {
        for (const auto& [file, bytes] : lastSizes_) {
            if (file == name)
                return bytes;
        }
        if (const auto& held = trail_.back().held)
            return fs_.fileSizeBelow(held.get(), folder, name);
    }
    return fs_.fileSize(folder, name);
}

FsResult<Done> ReadAheadFileSystem::createFolder(const std::string& path)
{
    auto made = fs_.createFolder(path);
    if (crew_ && !trail_.empty())
        offerTrailAgain();
    return made;
}

void ReadAheadFileSystem::endWalk()
{
    leaveTrail(0);
    lastPath_.clear();
    lastSizes_.clear();
    if (crew_) {
        crew_->restart();
        crew_->expectWalk(WalkNeeds{});
    }
    fs_.endWalk();
}

void ReadAheadFileSystem::callerYielded()
{
    if (crew_ && !trail_.empty())
        offerTrailAgain();
    fs_.callerYielded();
}

void ReadAheadFileSystem::expectWalk(WalkNeeds needs)
{
    if (crew_)
        crew_->expectWalk(needs);
    fs_.expectWalk(needs);
}

ReaderCount ReadAheadReaders()
{
    if (const char* value = std::getenv("VACANTIX_READERS"); value && *value) {
        char* end = nullptr;
        const unsigned long readers = std::strtoul(value, &end, 10);
        if (*end == '\0')
            return ReaderCount(static_cast<unsigned>(std::min(readers, 16ul)));
    }
    return ReaderCount(0, 16);
}

} // namespace vacantix
