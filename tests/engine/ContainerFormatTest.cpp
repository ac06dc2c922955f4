#include "EngineTestUtil.h"
#include "engine/ContainerReader.h"
#include "engine/Crc64.h"
#include "engine/KeystreamEngine.h"
#include "engine/RsaBlob.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/SystemTime.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <functional>

using namespace mvx;
using namespace mvx::test;

namespace {

const uint32_t kContentKey[8] = {0x11111111, 0x2222, 0x333333, 0x4444, 0x55555, 0x6666, 0x77777, 0x8888};

struct KeyPairFiles {
    std::string publicFile;
    std::string privateFile;
};

// The key sets of tests/vectors (reader, sender, other) need no key generation.
KeyPairFiles vectorKeys(const std::string& name)
{
    return {vectorPath("containers/" + name + ".kpub"), vectorPath("containers/" + name + "Private.kpri")};
}

// Writes a container the way the encryption path lays it out: body, records, trailer.
std::vector<uint8_t> buildContainer(const std::vector<uint8_t>& plain, const std::vector<std::string>& recipientKeys,
                                    const std::string& fileName, uint32_t optionWord = 0)
{
    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(kContentKey);
    uint32_t key[8];
    engine.copyInitialState(key);
    std::vector<uint8_t> out(plain.size());
    engine.transformBuffer(plain.data(), plain.size(), out.data());

    RecipientRecordTable table;
    table.allocate(recipientKeys.size());
    for (size_t i = 0; i < recipientKeys.size(); ++i) {
        uint8_t record[256] = {};
        for (int w = 0; w < 8; ++w)
            putLe32(record + RecordOffset::kContentKey + 4 * w, key[w]);
        RecipientRecordTable::putFileName(record, fileName);
        putLe32(record + RecordOffset::kFormatWord, RecipientRecordTable::kFormatWord);
        putLe32(record + RecordOffset::kTimeLimit, 3600);
        putLe32(record + RecordOffset::kSenderTag, 0xABCD1234);
        table.store(i, record);
        EXPECT_EQ(table.sealHead(i, recipientKeys[i]), 1);
        table.transformTail(i, key);
    }
    const size_t recordsAt = out.size();
    out.resize(recordsAt + table.count() * 256);
    table.gather(out.data() + recordsAt);
    ContainerTrailer trailer = ContainerTrailer::forOptionWord(optionWord);
    trailer.setUnitCount(static_cast<uint32_t>(table.count()));
    trailer.setBodyLength(static_cast<uint32_t>(plain.size()));
    out.insert(out.end(), trailer.bytes.begin(), trailer.bytes.end());
    return out;
}

class ContainerFile {
public:
    ContainerFile(const TempDir& dir, const std::vector<uint8_t>& bytes) : path_(dir.file("c.klx"))
    {
        writeFile(path_, bytes);
        fd_ = ::open(path_.c_str(), O_RDONLY);
    }
    ~ContainerFile() { ::close(fd_); }
    int fd() const { return fd_; }

private:
    std::string path_;
    int fd_ = -1;
};

ContainerStatus openAs(const TempDir& dir, const std::vector<uint8_t>& bytes, const std::string& who,
                       ContainerLayout& layout)
{
    ContainerFile file(dir, bytes);
    auto keys = vectorKeys(who);
    return ContainerReader::open(file.fd(), keys.publicFile, keys.privateFile, layout);
}

std::vector<uint8_t> decipherBody(const std::vector<uint8_t>& container, const ContainerLayout& layout)
{
    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(layout.contentKey);
    std::vector<uint8_t> plain(static_cast<size_t>(layout.bodyLength));
    engine.transformBuffer(container.data(), plain.size(), plain.data());
    return plain;
}

std::vector<uint8_t> somePlain(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i ^ (i >> 8));
    return v;
}

} // namespace

TEST(ContainerTrailer, FlagsFromOptionWord)
{
    EXPECT_EQ(ContainerTrailer::flagsForOptionWord(1), 0);  // a time limit alone sets no flag
    EXPECT_EQ(ContainerTrailer::flagsForOptionWord(5), 0x0A);
    EXPECT_EQ(ContainerTrailer::flagsForOptionWord(4), 0x08);
    EXPECT_EQ(ContainerTrailer::flagsForOptionWord(12), 0x18);
    auto t = ContainerTrailer::forOptionWord(12);
    EXPECT_TRUE(t.hasMagic());
    EXPECT_EQ(t.bytes[20], 1);
    EXPECT_EQ(t.bytes[23], 0x18);
    EXPECT_EQ(t.bytes[24], 1);
    EXPECT_EQ(t.bytes[27], 0x18);
    EXPECT_EQ(getLe16(t.bytes.data() + 34), 1);
}

TEST(ContainerTrailer, VersionTest)
{
    auto t = ContainerTrailer::forOptionWord(0);
    t.bytes[27] = 0x1F;
    EXPECT_TRUE(t.isSupportedVersion());
    t.bytes[27] = 0x20;
    EXPECT_FALSE(t.isSupportedVersion());
    t.bytes[27] = 0x80;  // counts as negative, so newer
    EXPECT_FALSE(t.isSupportedVersion());
    t.bytes[27] = 0;
    t.bytes[25] = 1;  // 1.1.0
    EXPECT_FALSE(t.isSupportedVersion());
    t.bytes[25] = 0;
    t.bytes[32] = 1;
    EXPECT_FALSE(t.isSupportedVersion());
    t.bytes[32] = 0;
    t.bytes[36] = 1;
    EXPECT_FALSE(t.isSupportedVersion());
}

TEST(ContainerReader, EveryRecipientReadsAndOthersCannot)
{
    TempDir dir;
    // "other" is listed twice: its first record is the one found.
    auto bytes = buildContainer(somePlain(5000), {vectorKeys("reader").publicFile, vectorKeys("other").publicFile,
                                                  vectorKeys("other").publicFile},
                                "data.bin");
    for (const char* who : {"reader", "other"}) {
        ContainerLayout layout;
        ASSERT_EQ(openAs(dir, bytes, who, layout), ContainerStatus::Ok) << who;
        EXPECT_EQ(layout.ownIndex, std::string(who) == "reader" ? 0 : 1);
        EXPECT_EQ(layout.fileName, "data.bin");
        EXPECT_EQ(getLe32(layout.ownRecord() + RecordOffset::kTimeLimit), 3600u);
        EXPECT_EQ(getLe32(layout.ownRecord() + RecordOffset::kSenderTag), 0xABCD1234u);
        EXPECT_EQ(getLe32(layout.ownRecord() + RecordOffset::kFormatWord), 0x2003u);
        EXPECT_EQ(decipherBody(bytes, layout), somePlain(5000));
    }
    ContainerLayout layout;
    EXPECT_EQ(openAs(dir, bytes, "sender", layout), ContainerStatus::NotAuthorized);
}

TEST(ContainerReader, LengthAndAreaLimits)
{
    TempDir dir;
    auto empty = buildContainer({}, {vectorKeys("reader").publicFile}, "e");
    ASSERT_EQ(empty.size(), 304u);
    ContainerLayout layout;
    EXPECT_EQ(openAs(dir, empty, "reader", layout), ContainerStatus::Ok);
    EXPECT_EQ(layout.bodyLength, 0u);

    std::vector<uint8_t> short303(empty.begin() + 1, empty.end());
    EXPECT_EQ(openAs(dir, short303, "reader", layout), ContainerStatus::NotContainer);

    auto wrongMagic = empty;
    wrongMagic[304 - 48] = 'X';
    EXPECT_EQ(openAs(dir, wrongMagic, "reader", layout), ContainerStatus::NotContainer);

    // A forged record count beyond the file is refused before anything is allocated.
    for (uint32_t forged : {2u, 0xFFFFFFFFu}) {
        auto bad = empty;
        putLe32(bad.data() + 304 - 48 + 4, forged);
        EXPECT_EQ(openAs(dir, bad, "reader", layout), ContainerStatus::NotContainer) << forged;
    }
    // Flag 0x04 marks the older history layout.
    auto old = empty;
    old[304 - 48 + 27] = 0x04;
    EXPECT_EQ(openAs(dir, old, "reader", layout), ContainerStatus::OldHistoryLayout);
    auto newer = empty;
    newer[304 - 48 + 25] = 1;
    EXPECT_EQ(openAs(dir, newer, "reader", layout), ContainerStatus::NewerVersion);
}

namespace {

uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t at) { return getLe32(bytes.data() + at); }
size_t trailerOf(const std::vector<uint8_t>& bytes) { return bytes.size() - ContainerTrailer::kSize; }
void addToWord(std::vector<uint8_t>& bytes, size_t at, uint32_t delta) { putLe32(bytes.data() + at, wordAt(bytes, at) + delta); }

} // namespace

TEST(ContainerReader, PartsThatDoNotFillTheFileExactlyAreDamage)
{
    TempDir dir;
    const auto attach = readFile(vectorPath("containers/attach.klx"));  // body 38, names, key, 1 record
    const auto history = readFile(vectorPath("containers/attach_history.klx"));  // 2 records, 1 history unit
    const auto big = readFile(vectorPath("containers/three_recipients.klx"));
    const auto plain = buildContainer(somePlain(5000), {vectorKeys("reader").publicFile}, "p");  // no attachment
    using Edit = std::function<void(std::vector<uint8_t>&)>;
    const auto keyLengthAt = [](const std::vector<uint8_t>& b) { return wordAt(b, trailerOf(b) + 16) + 80; };
    struct Case {
        const char* what;
        const std::vector<uint8_t>* base;
        Edit edit;
    };
    const Case cases[] = {
        {"first 16 bytes lost", &big, [](auto& b) { b.erase(b.begin(), b.begin() + 16); }},
        {"first 16 bytes lost, no attachment", &plain, [](auto& b) { b.erase(b.begin(), b.begin() + 16); }},
        {"body length lowered by 100", &big, [](auto& b) { addToWord(b, trailerOf(b) + 16, -100u); }},
        {"body length one more", &attach, [](auto& b) { addToWord(b, trailerOf(b) + 16, 1); }},
        {"body length one less", &attach, [](auto& b) { addToWord(b, trailerOf(b) + 16, -1u); }},
        {"body length past the records", &attach, [](auto& b) { putLe32(b.data() + trailerOf(b) + 16, 1000); }},
        {"body length one less, no attachment", &plain, [](auto& b) { addToWord(b, trailerOf(b) + 16, -1u); }},
        {"a byte more in the body, no attachment", &plain, [](auto& b) { b.insert(b.begin() + 10, 0x55); }},
        {"a byte more before the records", &attach,
         [](auto& b) { b.insert(b.end() - ContainerTrailer::kSize - 256, 0x00); }},
        {"a byte less of the sender's key", &attach, [&](auto& b) { b.erase(b.begin() + keyLengthAt(b) + 30); }},
        {"sender key length one more", &attach, [&](auto& b) { addToWord(b, keyLengthAt(b), 1); }},
        {"sender key length zero, body length taking its place", &attach,
         [&](auto& b) {
             addToWord(b, trailerOf(b) + 16, 148);
             putLe32(b.data() + keyLengthAt(b), 0);
         }},
        {"a record unit more claimed", &big, [](auto& b) { addToWord(b, trailerOf(b) + 4, 1); }},
        {"a record unit less claimed", &big, [](auto& b) { addToWord(b, trailerOf(b) + 4, -1u); }},
        {"no units at all", &plain, [](auto& b) { putLe32(b.data() + trailerOf(b) + 4, 0); }},
        {"history flag without history units", &history, [](auto& b) { putLe32(b.data() + trailerOf(b) + 40, 0); }},
        {"history units covering every unit", &history, [](auto& b) { putLe32(b.data() + trailerOf(b) + 40, 3); }},
        {"history units taking a record", &history, [](auto& b) { putLe32(b.data() + trailerOf(b) + 40, 2); }},
        {"history units without the history flag", &plain, [](auto& b) { putLe32(b.data() + trailerOf(b) + 40, 1); }},
        {"history flag on a container without history", &attach, [](auto& b) {
             b[trailerOf(b) + 23] = b[trailerOf(b) + 27] = 0x18;
             putLe32(b.data() + trailerOf(b) + 40, 1);
             addToWord(b, trailerOf(b) + 4, 1);
             b.insert(b.end() - ContainerTrailer::kSize, 256, 0x00);
         }},
    };
    for (const Case& c : cases) {
        ContainerLayout untouched;
        ASSERT_EQ(openAs(dir, *c.base, "reader", untouched), ContainerStatus::Ok) << c.what;
        auto bytes = *c.base;
        c.edit(bytes);
        ContainerLayout layout;
        EXPECT_EQ(openAs(dir, bytes, "reader", layout), ContainerStatus::Damaged) << c.what;
    }
}

TEST(ContainerReader, MissingKeyFile)
{
    TempDir dir;
    auto bytes = buildContainer(somePlain(10), {vectorKeys("reader").publicFile}, "x");
    ContainerFile file(dir, bytes);
    ContainerLayout layout;
    EXPECT_EQ(ContainerReader::open(file.fd(), dir.file("none.kpub"), vectorKeys("reader").privateFile, layout),
              ContainerStatus::KeyFileMissing);
}

TEST(ContainerReader, FullLengthNameAndChangedBodyByte)
{
    TempDir dir;
    const std::string name76(72, 'n');
    auto bytes = buildContainer(somePlain(100), {vectorKeys("reader").publicFile}, name76 + ".txt");
    bytes[40] ^= 0x5A;  // nothing protects the body: only that byte changes
    ContainerLayout layout;
    ASSERT_EQ(openAs(dir, bytes, "reader", layout), ContainerStatus::Ok);
    EXPECT_EQ(layout.fileName, name76 + ".txt");
    auto plain = decipherBody(bytes, layout);
    auto expected = somePlain(100);
    expected[40] ^= 0x5A;
    EXPECT_EQ(plain, expected);
}

TEST(ContainerReader, TamperedHeadDoesNotMatch)
{
    TempDir dir;
    auto bytes = buildContainer(somePlain(10), {vectorKeys("reader").publicFile}, "x");
    bytes[10 + 8] ^= 1;  // the head CRC of the only record
    ContainerLayout layout;
    EXPECT_EQ(openAs(dir, bytes, "reader", layout), ContainerStatus::NotAuthorized);
}

// Containers made by a separate implementation of the format.
struct VectorCase {
    const char* name;
    const char* storedName;
    uint8_t flags;
    bool otherMayRead;
};

class VectorContainers : public ::testing::TestWithParam<VectorCase> {};

TEST_P(VectorContainers, DecryptToTheGivenBytes)
{
    const VectorCase& c = GetParam();
    const auto bytes = readFile(vectorPath(std::string("containers/") + c.name + ".klx"));
    const auto plain = readFile(vectorPath(std::string("containers/") + c.name + ".plain"));
    TempDir dir;
    ContainerLayout layout;
    ASSERT_EQ(openAs(dir, bytes, "reader", layout), ContainerStatus::Ok);
    EXPECT_EQ(layout.trailer.flags(), c.flags);
    EXPECT_EQ(layout.fileName, c.storedName);
    EXPECT_EQ(getLe32(layout.ownRecord() + RecordOffset::kTimeLimit), 0u);
    const auto when = SystemTime::fromBytes(layout.ownRecord() + RecordOffset::kEncryptionTime);
    // Monday 2 March 2026, 14:05:06.789: year, month, day of week, day, in that order.
    EXPECT_EQ(std::vector<int>({when.year, when.month, when.dayOfWeek, when.day, when.hour, when.minute, when.second,
                                when.milliseconds}),
              std::vector<int>({2026, 3, 1, 2, 14, 5, 6, 789}));

    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(layout.contentKey);
    std::vector<uint8_t> body(static_cast<size_t>(layout.bodyLength));
    ASSERT_EQ(layout.bodyLength, plain.size());
    engine.transformBuffer(bytes.data(), body.size(), body.data());
    EXPECT_EQ(body, plain);

    // The sender's names follow the body under the continuing keystream, and his key file framing.
    if (!body.empty())
        engine.step();  // a file transform steps after its last block
    uint8_t names[80];
    engine.transformBuffer(bytes.data() + body.size(), 80, names);
    EXPECT_STREQ(reinterpret_cast<const char*>(names), "Sender Person");
    EXPECT_STREQ(reinterpret_cast<const char*>(names + 20), "sender@example.org");
    const auto senderFile = readFile(vectorPath("containers/sender.kpub"));
    EXPECT_TRUE(std::equal(senderFile.begin(), senderFile.end(), bytes.begin() + static_cast<long>(body.size()) + 80));

    ContainerLayout otherLayout;
    EXPECT_EQ(openAs(dir, bytes, "other", otherLayout),
              c.otherMayRead ? ContainerStatus::Ok : ContainerStatus::NotAuthorized);
    EXPECT_EQ(openAs(dir, bytes, "sender", otherLayout), ContainerStatus::NotAuthorized);
}

INSTANTIATE_TEST_SUITE_P(
    SeparateImplementation, VectorContainers,
    ::testing::Values(VectorCase{"attach", "hello.txt", 0x08, false},
                      VectorCase{"attach_history", "hello.txt", 0x18, true},
                      VectorCase{"three_recipients", "random.bin", 0x08, true},
                      VectorCase{"empty", "empty.dat", 0x08, false},
                      VectorCase{"name76", "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.txt",
                                 0x08, false}),
    [](const auto& info) { return std::string(info.param.name); });
