#include "engine/CArchiveHistoryMan.h"

#include "EngineTestUtil.h"
#include "engine/ContainerReader.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <gtest/gtest.h>

#include "engine/KeystreamEngine.h"

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace mvx;

namespace {

const std::string kVectors = std::string(MORVANEX_TEST_DATA_DIR) + "/containers/";

std::vector<uint8_t> fileBytes(const std::string& path) { return readWholeFile(path).value_or(std::vector<uint8_t>{}); }

ContainerTrailer trailerOf(const std::string& path)
{
    const auto bytes = fileBytes(path);
    return ContainerTrailer::fromBytes(bytes.data() + bytes.size() - ContainerTrailer::kSize);
}

// A container of a 100-byte body and one record whose content key is known,
// as the writer leaves it before the history is appended (records written,
// no trailer yet).
struct SyntheticContainer {
    std::string path;
    RecipientRecordTable::Record record{};
    ContainerTrailer trailer = ContainerTrailer::forOptionWord(8);

    explicit SyntheticContainer(const std::string& at) : path(at)
    {
        for (int i = 0; i < 8; ++i)
            putLe32(record.data() + RecordOffset::kContentKey + 4 * i, 0x01020304u * static_cast<uint32_t>(i + 1));
        std::vector<uint8_t> bytes(100, 0x5A);
        bytes.insert(bytes.end(), record.begin(), record.end());
        writeWholeFile(path, bytes.data(), bytes.size());
        trailer.setBodyLength(100);
        trailer.setUnitCount(1);
    }
};

class ArchiveHistoryTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(1'780'000'000, 250); }
    void TearDown() override { Clock::useSystem(); }

    // A history created with one name and the creation event, as at encryption.
    void createWithEvents(SyntheticContainer& container, int extraEvents)
    {
        CArchiveHistoryMan history;
        history.create(container.path);
        history.setTrailerAndRecord(container.trailer.bytes.data(), container.record.data());
        history.setNames({{"Alice", "alice@example.org"}});
        for (int i = 0; i < extraEvents; ++i)
            history.addEvent(0, 5);
        ASSERT_EQ(history.appendAtCreation(container.path), 1);
    }

    CArchiveHistoryMan readBack(const SyntheticContainer& container)
    {
        CArchiveHistoryMan history;
        history.create(container.path);
        history.setTrailerAndRecord(trailerOf(container.path).bytes.data(), container.record.data());
        EXPECT_EQ(history.read(container.path), CArchiveHistoryMan::kReadOk);
        return history;
    }

    test::TempDir folder;
};

} // namespace

TEST_F(ArchiveHistoryTest, VectorContainerHistoryIsRead)
{
    FdGuard fd(::open((kVectors + "attach_history.klx").c_str(), O_RDONLY));
    ContainerLayout layout;
    ASSERT_EQ(ContainerReader::open(fd.get(), kVectors + "reader.kpub", kVectors + "readerPrivate.kpri", layout),
              ContainerStatus::Ok);
    CArchiveHistoryMan history;
    history.create(kVectors + "attach_history.klx");
    history.setTrailerAndRecord(layout.trailer.bytes.data(), layout.ownRecord());
    ASSERT_EQ(history.read(kVectors + "attach_history.klx"), CArchiveHistoryMan::kReadOk);

    ASSERT_EQ(history.names().size(), 2u);
    EXPECT_EQ(history.names()[0].userName, "Reader");
    EXPECT_EQ(history.names()[0].mail, "reader@example.org");
    EXPECT_EQ(history.names()[1].userName, "Other");
    ASSERT_EQ(history.events().size(), 1u);
    const auto& event = history.events()[0];
    EXPECT_EQ(event.actor, 0u);
    EXPECT_EQ(event.kind, CArchiveHistoryMan::kKindCreated);
    EXPECT_EQ(event.marker, 1);
    EXPECT_EQ(event.time.year, 2026);
    EXPECT_EQ(event.time.month, 3);
    // The vector's maker swapped the day and day-of-week fields; the event
    // time must equal the encryption time its record carries all the same.
    EXPECT_EQ(event.time, SystemTime::fromBytes(layout.ownRecord() + RecordOffset::kEncryptionTime));
    EXPECT_EQ(event.time.hour, 14);
    EXPECT_EQ(event.time.minute, 5);
    EXPECT_EQ(event.time.second, 6);
    EXPECT_EQ(event.time.milliseconds, 789);
}

TEST_F(ArchiveHistoryTest, OneNameAndOneEventTakeOneUnit)
{
    EXPECT_EQ(CArchiveHistoryMan::blockUnits(1, 1), 1u);
    EXPECT_EQ(CArchiveHistoryMan::blockUnits(1, 6), 1u);  // 238 bytes of data
    EXPECT_EQ(CArchiveHistoryMan::blockUnits(1, 7), 2u);  // 263 bytes of data

    SyntheticContainer container(folder.file("one.klx"));
    createWithEvents(container, 0);
    EXPECT_EQ(fileBytes(container.path).size(), 100u + 256 + 256 + 48);
    const ContainerTrailer trailer = trailerOf(container.path);
    EXPECT_EQ(trailer.historyUnits(), 1u);
    EXPECT_EQ(trailer.unitCount(), 2u);

    CArchiveHistoryMan back = readBack(container);
    ASSERT_EQ(back.names().size(), 1u);
    EXPECT_EQ(back.names()[0].userName, "Alice");
    EXPECT_EQ(back.names()[0].mail, "alice@example.org");
    ASSERT_EQ(back.events().size(), 1u);
    EXPECT_EQ(back.events()[0].time, Clock::now());
    EXPECT_EQ(back.events()[0].kind, CArchiveHistoryMan::kKindCreated);
}

TEST_F(ArchiveHistoryTest, EventsCrossingAUnitGrowTheBlockAndTheTrailerCounts)
{
    SyntheticContainer container(folder.file("grow.klx"));
    createWithEvents(container, 5);  // six events: 238 bytes
    const size_t before = fileBytes(container.path).size();
    const ContainerTrailer trailerBefore = trailerOf(container.path);

    CArchiveHistoryMan history = readBack(container);
    Clock::advance(60);
    history.addEvent(0, CArchiveHistoryMan::kKindDecrypted);
    ASSERT_EQ(history.rewrite(), CArchiveHistoryMan::kRewritten);

    EXPECT_EQ(fileBytes(container.path).size(), before + 256);
    const ContainerTrailer trailerAfter = trailerOf(container.path);
    EXPECT_EQ(trailerAfter.historyUnits(), trailerBefore.historyUnits() + 1);
    EXPECT_EQ(trailerAfter.unitCount(), trailerBefore.unitCount() + 1);
    EXPECT_EQ(trailerAfter.bodyLength(), trailerBefore.bodyLength());

    CArchiveHistoryMan back = readBack(container);
    ASSERT_EQ(back.events().size(), 7u);
    EXPECT_EQ(back.events()[6].kind, CArchiveHistoryMan::kKindDecrypted);
    EXPECT_EQ(back.events()[6].time, Clock::now());
    // The body and the record in front of the history are untouched.
    const auto bytes = fileBytes(container.path);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100), std::vector<uint8_t>(100, 0x5A));
    EXPECT_TRUE(std::equal(container.record.begin(), container.record.end(), bytes.begin() + 100));
}

TEST_F(ArchiveHistoryTest, RewriteWithoutNewEventsLeavesTheFileUnchanged)
{
    SyntheticContainer container(folder.file("same.klx"));
    createWithEvents(container, 0);
    const auto before = fileBytes(container.path);
    CArchiveHistoryMan history = readBack(container);
    EXPECT_EQ(history.rewrite(), CArchiveHistoryMan::kRewriteNothingAdded);
    EXPECT_EQ(fileBytes(container.path), before);
}

TEST_F(ArchiveHistoryTest, RewriteNeedsARecordAndAReadHistory)
{
    SyntheticContainer container(folder.file("state.klx"));
    createWithEvents(container, 0);
    CArchiveHistoryMan noRecord;
    noRecord.create(container.path);
    EXPECT_EQ(noRecord.read(container.path), CArchiveHistoryMan::kReadNoRecord);
    EXPECT_EQ(noRecord.rewrite(), CArchiveHistoryMan::kRewriteNoRecord);

    CArchiveHistoryMan notRead;
    notRead.create(container.path);
    notRead.setTrailerAndRecord(trailerOf(container.path).bytes.data(), container.record.data());
    notRead.addEvent(0, 3);
    EXPECT_EQ(notRead.rewrite(), CArchiveHistoryMan::kRewriteNotRead);

    CArchiveHistoryMan missing;
    missing.create(folder.file("absent.klx"));
    missing.setTrailerAndRecord(trailerOf(container.path).bytes.data(), container.record.data());
    EXPECT_EQ(missing.read(folder.file("absent.klx")), CArchiveHistoryMan::kReadNotOpened);
}

TEST_F(ArchiveHistoryTest, DecryptionEventOnAVectorCopyKeepsTheContainerReadable)
{
    const std::string copy = folder.file("copy.klx");
    std::filesystem::copy_file(kVectors + "attach_history.klx", copy);
    ContainerLayout layout;
    {
        FdGuard fd(::open(copy.c_str(), O_RDONLY));
        ASSERT_EQ(ContainerReader::open(fd.get(), kVectors + "reader.kpub", kVectors + "readerPrivate.kpri", layout),
                  ContainerStatus::Ok);
    }
    CArchiveHistoryMan history;
    history.create(copy);
    history.setTrailerAndRecord(layout.trailer.bytes.data(), layout.ownRecord());
    ASSERT_EQ(history.read(copy), CArchiveHistoryMan::kReadOk);
    history.addEvent(static_cast<uint32_t>(layout.ownIndex), CArchiveHistoryMan::kKindDecrypted);
    ASSERT_EQ(history.rewrite(), CArchiveHistoryMan::kRewritten);

    ContainerLayout again;
    FdGuard fd(::open(copy.c_str(), O_RDONLY));
    ASSERT_EQ(ContainerReader::open(fd.get(), kVectors + "reader.kpub", kVectors + "readerPrivate.kpri", again),
              ContainerStatus::Ok);
    EXPECT_EQ(again.ownIndex, layout.ownIndex);
    CArchiveHistoryMan back;
    back.create(copy);
    back.setTrailerAndRecord(again.trailer.bytes.data(), again.ownRecord());
    ASSERT_EQ(back.read(copy), CArchiveHistoryMan::kReadOk);
    ASSERT_EQ(back.events().size(), 2u);
    EXPECT_EQ(back.events()[1].kind, CArchiveHistoryMan::kKindDecrypted);
    EXPECT_EQ(back.names().size(), 2u);
}

TEST_F(ArchiveHistoryTest, CountsBeyondTheBlockAreRefused)
{
    SyntheticContainer container(folder.file("forged.klx"));
    createWithEvents(container, 0);
    ContainerTrailer forged = trailerOf(container.path);
    forged.setHistoryUnits(1000);  // more units than the file holds
    CArchiveHistoryMan history;
    history.create(container.path);
    history.setTrailerAndRecord(forged.bytes.data(), container.record.data());
    EXPECT_EQ(history.read(container.path), CArchiveHistoryMan::kReadDamaged);

    // A name count that does not fit the block: with a wrong content key the
    // counts decipher to large values.
    RecipientRecordTable::Record wrongKey = container.record;
    wrongKey[RecordOffset::kContentKey + 16] ^= 0xFF;  // word 4 masks the first bytes
    CArchiveHistoryMan wrong;
    wrong.create(container.path);
    wrong.setTrailerAndRecord(trailerOf(container.path).bytes.data(), wrongKey.data());
    EXPECT_EQ(wrong.read(container.path), CArchiveHistoryMan::kReadDamaged);
}

TEST_F(ArchiveHistoryTest, OlderLayoutCountsShareTheFirstKeystreamBytes)
{
    SyntheticContainer container(folder.file("old.klx"));
    uint32_t key[8];
    RecipientRecordTable::contentKeyOf(container.record.data(), key);
    KeystreamEngine engine;
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(key);
    // Keystream of the first 4 bytes: both counts are masked with it.
    uint8_t mask[4] = {};
    engine.transformBuffer(mask, 4, mask);
    std::vector<uint8_t> history(8 + 80 + 25, 0);
    putLe32(history.data(), 1);
    putLe32(history.data() + 4, 1);
    for (int i = 0; i < 4; ++i) {
        history[i] ^= mask[i];
        history[4 + i] ^= mask[i];
    }
    std::memcpy(history.data() + 8, "Bob", 3);
    std::memcpy(history.data() + 28, "bob@example.org", 15);
    SystemTime when = Clock::now();
    when.toBytes(history.data() + 88);
    putLe32(history.data() + 104, 1);
    putLe32(history.data() + 108, 3);
    history[112] = 1;
    engine.transformBuffer(history.data() + 8, 20, history.data() + 8);
    engine.transformBuffer(history.data() + 28, 60, history.data() + 28);
    engine.transformBuffer(history.data() + 88, 25, history.data() + 88);
    auto bytes = fileBytes(container.path);
    bytes.insert(bytes.begin(), history.begin(), history.end());
    ContainerTrailer trailer = ContainerTrailer::forOptionWord(2);  // flag 0x04
    trailer.setUnitCount(1);
    bytes.insert(bytes.end(), trailer.bytes.begin(), trailer.bytes.end());
    writeWholeFile(container.path, bytes.data(), bytes.size());

    CArchiveHistoryMan reader;
    reader.create(container.path);
    reader.setTrailerAndRecord(trailer.bytes.data(), container.record.data());
    ASSERT_EQ(reader.readOlderLayout(container.path), CArchiveHistoryMan::kReadOk);
    ASSERT_EQ(reader.names().size(), 1u);
    EXPECT_EQ(reader.names()[0].userName, "Bob");
    EXPECT_EQ(reader.names()[0].mail, "bob@example.org");
    ASSERT_EQ(reader.events().size(), 1u);
    EXPECT_EQ(reader.events()[0].time, when);
    EXPECT_EQ(reader.events()[0].actor, 1u);
    EXPECT_EQ(reader.events()[0].kind, 3u);

    reader.addEventFront(2, CArchiveHistoryMan::kKindDecrypted);
    EXPECT_EQ(reader.events().front().actor, 2u);
}
