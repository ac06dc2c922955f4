#include "engine/CArchiveHistoryMan.h"

#include "engine/KeystreamEngine.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

void putEvent(uint8_t* at, const CArchiveHistoryMan::HistoryList& event)
{
    event.time.toBytes(at);
    putLe32(at + 16, event.actor);
    putLe32(at + 20, event.kind);
    at[24] = event.marker;
}

CArchiveHistoryMan::HistoryList eventAt(const uint8_t* at)
{
    CArchiveHistoryMan::HistoryList event;
    event.time = SystemTime::fromBytes(at);
    event.actor = getLe32(at + 16);
    event.kind = getLe32(at + 20);
    event.marker = at[24];
    return event;
}

CArchiveHistoryMan::NameEntry nameAt(const uint8_t* at)
{
    return {TextFields::get(at, CArchiveHistoryMan::kUserNameSize),
            TextFields::get(at + CArchiveHistoryMan::kUserNameSize, CArchiveHistoryMan::kMailSize)};
}

uint64_t fileLengthOf(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

} // namespace

uint32_t CArchiveHistoryMan::blockUnits(size_t nameCount, size_t eventCount)
{
    return static_cast<uint32_t>((kNameEntrySize * nameCount + kEventSize * eventCount + kCountsSize) / kUnitSize + 1);
}

void CArchiveHistoryMan::create(const std::string& containerPath)
{
    containerPath_ = containerPath;
    names_.assign(1, NameEntry{});
    events_.clear();
    hasRecord_ = false;
    wasRead_ = false;
    eventsRead_ = 0;
}

void CArchiveHistoryMan::setTrailerAndRecord(const uint8_t* trailer, const uint8_t* plainRecord)
{
    trailer_ = ContainerTrailer::fromBytes(trailer);
    std::memcpy(record_.data(), plainRecord, record_.size());
    hasRecord_ = true;
}

void CArchiveHistoryMan::keyEngine(KeystreamEngine& engine) const
{
    uint32_t key[8];
    RecipientRecordTable::contentKeyOf(record_.data(), key);
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(key);
}

std::vector<uint8_t> CArchiveHistoryMan::buildBlock(uint32_t units) const
{
    std::vector<uint8_t> block(static_cast<size_t>(units) * kUnitSize, 0);
    putLe32(block.data(), static_cast<uint32_t>(names_.size()));
    putLe32(block.data() + 4, static_cast<uint32_t>(events_.size()));
    uint8_t* at = block.data() + kCountsSize;
    for (const NameEntry& name : names_) {
        // One byte of each field is kept for the terminator.
        TextFields::put(at, kUserNameSize, TextFields::truncate(name.userName, kUserNameSize - 1));
        TextFields::put(at + kUserNameSize, kMailSize, TextFields::truncate(name.mail, kMailSize - 1));
        at += kNameEntrySize;
    }
    for (const HistoryList& event : events_) {
        putEvent(at, event);
        at += kEventSize;
    }
    KeystreamEngine engine;
    keyEngine(engine);
    engine.transformBuffer(block.data(), block.size(), block.data());
    return block;
}

bool CArchiveHistoryMan::parseBlock(const std::vector<uint8_t>& block)
{
    const uint64_t nameCount = getLe32(block.data());
    const uint64_t eventCount = getLe32(block.data() + 4);
    if (kCountsSize + kNameEntrySize * nameCount + kEventSize * eventCount > block.size())
        return false;
    names_.clear();
    events_.clear();
    const uint8_t* at = block.data() + kCountsSize;
    for (uint64_t i = 0; i < nameCount; ++i, at += kNameEntrySize)
        names_.push_back(nameAt(at));
    for (uint64_t i = 0; i < eventCount; ++i, at += kEventSize)
        events_.push_back(eventAt(at));
    return true;
}

int CArchiveHistoryMan::read(const std::string& containerPath)
{
    containerPath_ = containerPath;
    if (!hasRecord_)
        return kReadNoRecord;
    FdGuard fd(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return kReadNotOpened;
    const uint64_t length = fileLengthOf(fd.get());
    const uint64_t blockSize = static_cast<uint64_t>(trailer_.historyUnits()) * kUnitSize;
    // The block lies inside the trailer's units, which leave room for at least
    // one recipient record, and all of them inside the file: a rewrite of a
    // block taken from a forged count would cut into the records.
    const uint64_t unitBytes = static_cast<uint64_t>(trailer_.unitCount()) * kUnitSize;
    if (blockSize == 0 || trailer_.historyUnits() >= trailer_.unitCount() ||
        unitBytes + ContainerTrailer::kSize > length)
        return kReadDamaged;
    std::vector<uint8_t> block(static_cast<size_t>(blockSize));
    if (!preadFully(fd.get(), block.data(), block.size(), length - blockSize - ContainerTrailer::kSize))
        return kReadNotOpened;
    KeystreamEngine engine;
    keyEngine(engine);
    engine.transformBuffer(block.data(), block.size(), block.data());
    if (!parseBlock(block))
        return kReadDamaged;
    wasRead_ = true;
    eventsRead_ = events_.size();
    return kReadOk;
}

int CArchiveHistoryMan::readOlderLayout(const std::string& containerPath)
{
    containerPath_ = containerPath;
    if (!hasRecord_)
        return kReadNoRecord;
    FdGuard fd(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return kReadNotOpened;
    const uint64_t length = fileLengthOf(fd.get());
    KeystreamEngine engine;
    keyEngine(engine);

    uint8_t counts[kCountsSize];
    if (!preadFully(fd.get(), counts, sizeof counts, 0))
        return kReadDamaged;
    engine.transformBuffer(counts, 4, counts);
    engine.transformBuffer(counts + 4, 4, counts + 4);
    const uint64_t nameCount = getLe32(counts);
    const uint64_t eventCount = getLe32(counts + 4);
    const uint64_t historySize = kCountsSize + kNameEntrySize * nameCount + kEventSize * eventCount;
    if (historySize + ContainerTrailer::kSize > length)
        return kReadDamaged;
    std::vector<uint8_t> pieces(static_cast<size_t>(historySize - kCountsSize));
    if (!pieces.empty() && !preadFully(fd.get(), pieces.data(), pieces.size(), kCountsSize))
        return kReadDamaged;
    names_.clear();
    events_.clear();
    uint8_t* at = pieces.data();
    for (uint64_t i = 0; i < nameCount; ++i, at += kNameEntrySize) {
        engine.transformBuffer(at, kUserNameSize, at);
        engine.transformBuffer(at + kUserNameSize, kMailSize, at + kUserNameSize);
        names_.push_back(nameAt(at));
    }
    for (uint64_t i = 0; i < eventCount; ++i, at += kEventSize) {
        engine.transformBuffer(at, kEventSize, at);
        events_.push_back(eventAt(at));
    }
    wasRead_ = true;
    eventsRead_ = events_.size();
    return kReadOk;
}

void CArchiveHistoryMan::addEvent(uint32_t actor, uint32_t kind)
{
    events_.push_back(HistoryList{Clock::now(), actor, kind, 1});
}

void CArchiveHistoryMan::addEventFront(uint32_t actor, uint32_t kind)
{
    if (kind == kKindDecrypted)
        events_.insert(events_.begin(), HistoryList{Clock::now(), actor, kind, 1});
    else
        addEvent(actor, kind);
}

int CArchiveHistoryMan::write(const std::string& containerPath, uint64_t backOffset)
{
    FdGuard fd(::open(containerPath.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid())
        return 0;
    const uint64_t length = fileLengthOf(fd.get());
    if (backOffset > length)
        return 0;
    const uint64_t position = length - backOffset;

    // The count field covers the recipient records plus the history units.
    const uint32_t recordUnits = trailer_.unitCount() - std::min(trailer_.unitCount(), trailer_.historyUnits());
    const uint32_t units = blockUnits(names_.size(), events_.size());
    ContainerTrailer updated = trailer_;
    updated.setHistoryUnits(units);
    updated.setUnitCount(recordUnits + units);

    const std::vector<uint8_t> block = buildBlock(units);
    if (!pwriteFully(fd.get(), block.data(), block.size(), position) ||
        !pwriteFully(fd.get(), updated.bytes.data(), ContainerTrailer::kSize, position + block.size()))
        return 0;
    const uint64_t end = position + block.size() + ContainerTrailer::kSize;
    if (end < length && ::ftruncate(fd.get(), static_cast<off_t>(end)) != 0)
        return 0;
    if (!fd.close())
        return 0;
    trailer_ = updated;
    return 1;
}

int CArchiveHistoryMan::appendAtCreation(const std::string& containerPath)
{
    containerPath_ = containerPath;
    addEvent(0, kKindCreated);
    return write(containerPath, 0);
}

int CArchiveHistoryMan::rewrite()
{
    if (!hasRecord_)
        return kRewriteNoRecord;
    if (!wasRead_)
        return kRewriteNotRead;
    if (events_.size() == eventsRead_)
        return kRewriteNothingAdded;
    if (!replaceBlock())
        return kRewriteFailed;
    eventsRead_ = events_.size();
    return kRewritten;
}

// Events are only ever added, so the bytes the old counts cover stay the same
// in the new block (same key, same position). The writes go in an order that
// leaves a readable container after each of them: first what lies beyond the
// old end, the new trailer last (cut off again on failure), then the block's
// bytes after its counts, and the counts themselves at the very end. Until the
// counts are written a reader sees the old history.
bool CArchiveHistoryMan::replaceBlock()
{
    FdGuard fd(::open(containerPath_.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid())
        return false;
    const uint64_t length = fileLengthOf(fd.get());
    const uint32_t oldUnits = trailer_.historyUnits();
    const uint64_t oldRegion = static_cast<uint64_t>(oldUnits) * kUnitSize + ContainerTrailer::kSize;
    const uint32_t units = blockUnits(names_.size(), events_.size());
    if (oldRegion > length || units < oldUnits || oldUnits >= trailer_.unitCount())
        return false;
    const uint64_t blockStart = length - oldRegion;

    ContainerTrailer updated = trailer_;
    updated.setHistoryUnits(units);
    updated.setUnitCount(trailer_.unitCount() - oldUnits + units);
    std::vector<uint8_t> block = buildBlock(units);
    block.insert(block.end(), updated.bytes.begin(), updated.bytes.end());

    if (block.size() > oldRegion &&
        (!pwriteFully(fd.get(), block.data() + oldRegion, block.size() - oldRegion, length) ||
         ::fsync(fd.get()) != 0)) {
        (void)!::ftruncate(fd.get(), static_cast<off_t>(length));
        return false;
    }
    const size_t inPlace = static_cast<size_t>(std::min<uint64_t>(oldRegion, block.size()));
    if (!pwriteFully(fd.get(), block.data() + kCountsSize, inPlace - kCountsSize, blockStart + kCountsSize) ||
        ::fsync(fd.get()) != 0 || !pwriteFully(fd.get(), block.data(), kCountsSize, blockStart) ||
        ::fsync(fd.get()) != 0 || !fd.close())
        return false;
    trailer_ = updated;
    return true;
}

} // namespace mvx
