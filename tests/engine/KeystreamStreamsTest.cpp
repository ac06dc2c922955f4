// Several keystreams advanced together: every stream's bytes are those of the
// stream run alone, on the vector path and on the forced scalar path.
#include "engine/KeystreamEngine.h"
#include "engine/MultiStreamTransform.h"
#include "EngineTestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <openssl/sha.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <random>

using namespace mvx;
using namespace mvx::test;

namespace {

using Key = std::array<uint32_t, 8>;

// Runs each test on the AVX2 path (where the CPU has it) and on the scalar path.
class KeystreamStreams : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (!GetParam() && !__builtin_cpu_supports("avx2"))
            GTEST_SKIP() << "no AVX2 on this CPU";
        KeystreamEngine::setScalarStreams(GetParam());
    }
    void TearDown() override { KeystreamEngine::setScalarStreams(false); }
};

Key randomKey(std::mt19937& random)
{
    Key key;
    for (uint32_t& word : key)
        word = static_cast<uint32_t>(random());
    return key;
}

void keyed(KeystreamEngine& engine, const Key& key)
{
    engine.setWordCount(8);
    ASSERT_EQ(engine.initialise(key.data()), 32);
}

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

uint32_t parseWord(const std::string& s) { return static_cast<uint32_t>(std::stoul(s, nullptr, 16)); }

// Hands out files to the lanes in order and records how each ended.
class FileList : public MultiStreamTransform::Source {
public:
    struct File {
        KeystreamEngine* engine;
        int in, out;
        uint64_t byteCount;
        bool unlimited;
        int result = -1;  // -1: never finished, else 0 or 1
    };
    std::vector<File> files;

    bool next(size_t lane, MultiStreamTransform::Stream& stream) override
    {
        if (given_ == files.size())
            return false;
        File& file = files[given_];
        stream = {file.engine, file.in, file.out, file.byteCount, file.unlimited};
        onLane_[lane] = given_++;
        return true;
    }
    void finished(size_t lane, bool ok) override
    {
        EXPECT_EQ(files[onLane_[lane]].result, -1) << "file " << onLane_[lane] << " finished twice";
        files[onLane_[lane]].result = ok ? 1 : 0;
    }

private:
    size_t given_ = 0;
    size_t onLane_[MultiStreamTransform::kLanes] = {};
};

} // namespace

// Random keys and chunk lengths around the block size, for one to eight
// streams over several calls, so that states carry from call to call; the
// reference is each stream on its own (one stream always takes the scalar step).
TEST_P(KeystreamStreams, EveryStreamMatchesItsStreamRunAlone)
{
    std::mt19937 random(20261210);
    const size_t lengths[] = {0, 1, 15, 16, 17, 31, 32, 33, 160, 1000, 4096, 65536 + 5};
    for (size_t count = 1; count <= KeystreamEngine::kMaxStreams; ++count) {
        for (int trial = 0; trial < 6; ++trial) {
            KeystreamEngine together[KeystreamEngine::kMaxStreams], alone[KeystreamEngine::kMaxStreams];
            KeystreamEngine* pointers[KeystreamEngine::kMaxStreams];
            for (size_t s = 0; s < count; ++s) {
                const Key key = randomKey(random);
                keyed(together[s], key);
                keyed(alone[s], key);
                pointers[s] = &together[s];
            }
            for (int call = 0; call < 4; ++call) {
                std::vector<std::vector<uint8_t>> data(count), expected(count);
                uint8_t* chunks[KeystreamEngine::kMaxStreams];
                size_t sizes[KeystreamEngine::kMaxStreams];
                for (size_t s = 0; s < count; ++s) {
                    // Mostly equal full chunks, as files give, with odd ones between.
                    sizes[s] = random() % 3 == 0 ? lengths[random() % std::size(lengths)] : 4096;
                    data[s] = expected[s] = randomBytes(random, sizes[s]);
                    chunks[s] = data[s].data();
                    uint8_t* one = expected[s].data();
                    KeystreamEngine* single = &alone[s];
                    KeystreamEngine::transformChunks(&single, &one, &sizes[s], 1);
                }
                KeystreamEngine::transformChunks(pointers, chunks, sizes, count);
                for (size_t s = 0; s < count; ++s)
                    ASSERT_EQ(data[s], expected[s]) << count << " streams, trial " << trial << ", call " << call
                                                    << ", stream " << s << ", " << sizes[s] << " bytes";
            }
        }
    }
}

// The known answers of a separate implementation, for eight streams at once
// through files, each case on every lane in turn.
TEST_P(KeystreamStreams, FilesTogetherGiveTheKnownAnswers)
{
    std::ifstream in(vectorPath("keystream.json"));
    ASSERT_TRUE(in);
    const auto doc = nlohmann::json::parse(in);
    std::vector<Key> keys;
    for (const auto& c : doc["cases"]) {
        Key key;
        for (int i = 0; i < 8; ++i)
            key[i] = parseWord(c["key_words"][i]);
        keys.push_back(key);
    }
    ASSERT_FALSE(keys.empty());
    TempDir dir;
    writeFile(dir.file("zero100"), std::vector<uint8_t>(100, 0));
    writeFile(dir.file("zeroBig"), std::vector<uint8_t>(1024017, 0));
    constexpr size_t kFiles = 2 * MultiStreamTransform::kLanes;  // every lane takes a second file
    KeystreamEngine engines[kFiles];
    FileList list;
    for (size_t f = 0; f < kFiles; ++f) {
        keyed(engines[f], keys[f % keys.size()]);
        const bool big = f % 2 == 1;
        const int input = ::open(dir.file(big ? "zeroBig" : "zero100").c_str(), O_RDONLY);
        const int output = ::open(dir.file("out" + std::to_string(f)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        list.files.push_back({&engines[f], input, output, 0, true});
    }
    MultiStreamTransform().run(list);
    for (size_t f = 0; f < kFiles; ++f) {
        ::close(list.files[f].in);
        ::close(list.files[f].out);
        EXPECT_EQ(list.files[f].result, 1) << f;
        const auto& c = doc["cases"][f % keys.size()];
        const auto out = readFile(dir.file("out" + std::to_string(f)));
        if (f % 2 == 0) {
            EXPECT_EQ(toHex(out.data(), out.size()), c["transform_file_zero_100_hex"]) << f;
        } else {
            uint8_t digest[32];
            SHA256(out.data(), out.size(), digest);
            EXPECT_EQ(toHex(digest, 32), c["transform_file_zero_1024017_sha256"]) << f;
        }
    }
}

// More files than lanes, of lengths around the block and chunk sizes, whole
// or as parts: each output is what the single-stream file transform gives,
// and a part whose input ends early fails alone.
TEST_P(KeystreamStreams, FilesOfEveryLengthMatchTheSingleStreamFileTransform)
{
    const size_t chunk = MultiStreamTransform::kChunkSize;
    struct Case {
        size_t length;
        bool unlimited;
        uint64_t part;  // with unlimited false
        bool ok;
    };
    const Case cases[] = {
        {0, true, 0, true},           {1, true, 0, true},
        {15, true, 0, true},          {16, true, 0, true},
        {17, true, 0, true},          {chunk - 1, true, 0, true},
        {chunk, true, 0, true},       {chunk + 1, true, 0, true},
        {3 * chunk + 17, true, 0, true}, {1024017, true, 0, true},
        {chunk + 40, false, chunk + 3, true},  // a body followed by more bytes
        {100, false, 100, true},      {0, false, 0, true},
        {50, false, 51, false},       // the input ends before the part does
        {2 * chunk, false, 2 * chunk + 1, false},
    };
    std::mt19937 random(7);
    TempDir dir;
    std::vector<KeystreamEngine> together(std::size(cases));
    FileList list;
    std::vector<std::vector<uint8_t>> expected;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const Key key = randomKey(random);
        writeFile(dir.file("in" + std::to_string(i)), randomBytes(random, c.length));
        KeystreamEngine alone;
        keyed(alone, key);
        const int ain = ::open(dir.file("in" + std::to_string(i)).c_str(), O_RDONLY);
        const int aout = ::open(dir.file("alone" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_EQ(c.unlimited ? alone.transformFile(ain, aout) : alone.transformFilePart(ain, c.part, aout), c.ok) << i;
        ::close(ain);
        ::close(aout);
        expected.push_back(readFile(dir.file("alone" + std::to_string(i))));

        keyed(together[i], key);
        const int tin = ::open(dir.file("in" + std::to_string(i)).c_str(), O_RDONLY);
        const int tout = ::open(dir.file("out" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        list.files.push_back({&together[i], tin, tout, c.part, c.unlimited});
    }
    MultiStreamTransform().run(list);
    for (size_t i = 0; i < std::size(cases); ++i) {
        ::close(list.files[i].in);
        ::close(list.files[i].out);
        EXPECT_EQ(list.files[i].result, cases[i].ok ? 1 : 0) << i;
        if (cases[i].ok) {
            EXPECT_EQ(readFile(dir.file("out" + std::to_string(i))), expected[i]) << i << ": " << cases[i].length;
        }
    }
}

// The window's Stop ends every file between two chunks.
TEST_P(KeystreamStreams, StopEndsEveryFileAsFailed)
{
    TempDir dir;
    writeFile(dir.file("in"), std::vector<uint8_t>(3 * MultiStreamTransform::kChunkSize, 1));
    std::atomic<bool> stop{true};
    KeystreamEngine engines[3];
    FileList list;
    for (auto& engine : engines) {
        keyed(engine, Key{1, 2, 3, 4, 5, 6, 7, 8});
        engine.setStopFlag(&stop);
        list.files.push_back({&engine, ::open(dir.file("in").c_str(), O_RDONLY),
                              ::open(dir.file("out").c_str(), O_WRONLY | O_CREAT, 0600), 0, true});
    }
    MultiStreamTransform().run(list);
    for (size_t i = 0; i < list.files.size(); ++i) {
        ::close(list.files[i].in);
        ::close(list.files[i].out);
        EXPECT_EQ(list.files[i].result, 0) << i;
        EXPECT_TRUE(engines[i].stopped()) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, KeystreamStreams, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Scalar" : "Avx2"; });
