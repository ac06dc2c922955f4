// The helpers that work ahead of a batch: what the batch claims, what it drops.
#include "workbench/WorkAhead.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <map>
#include <set>
#include <thread>

namespace mvx::test {
namespace {

struct Made : WorkAhead::Piece {
    explicit Made(std::string k) : key(std::move(k)) {}
    std::string key;
};

// Records which pieces a helper finished, so a test can wait for one.
class Finished {
public:
    WorkAhead::Job job(const std::string& key)
    {
        return [this, key](size_t) {
            std::lock_guard<std::mutex> lock(mutex_);
            done_.insert(key);
            changed_.notify_all();
            return std::make_unique<Made>(key);
        };
    }
    void waitFor(const std::string& key)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_.count(key) != 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::string> done_;
};

std::string keyOf(const std::unique_ptr<WorkAhead::Piece>& piece)
{
    const auto* made = dynamic_cast<const Made*>(piece.get());
    return made ? made->key : std::string("(none)");
}

TEST(WorkAheadTest, TheBatchKeepsItsNextPieceAndAClaimOfAPieceNotAheadDropsNothing)
{
    Finished finished;
    WorkAhead work(1);
    std::vector<WorkAhead::Expected> expected;
    for (const char* key : {"a", "b", "c", "d"})
        expected.push_back({key, finished.job(key)});
    work.expect(std::move(expected));
    finished.waitFor("d");  // the helper leaves "a" to the batch and takes the rest in turn

    EXPECT_EQ(keyOf(work.claim("a")), "(none)");  // not started: the batch does it itself
    EXPECT_EQ(keyOf(work.claim("a")), "(none)");  // asked twice, or never expected:
    EXPECT_EQ(keyOf(work.claim("x")), "(none)");  // the pieces ahead stay
    EXPECT_EQ(keyOf(work.claim("c")), "c");       // going past "b" drops it
    EXPECT_EQ(keyOf(work.claim("b")), "(none)");
    EXPECT_EQ(keyOf(work.claim("d")), "d");
}

// Stream jobs over empty streams that record where they ran.
class Streams {
public:
    struct Ran {
        size_t worker = SIZE_MAX, lane = SIZE_MAX;
    };
    class Job : public WorkAhead::StreamJob {
    public:
        Job(Streams& owner, std::string key) : owner_(owner), key_(std::move(key))
        {
            engine_.setWordCount(8);
            const uint32_t words[8] = {1, 2, 3, 4, 5, 6, 7, 8};
            engine_.initialise(words);
        }
        bool start(size_t worker, size_t lane, MultiStreamTransform::Stream& stream) override
        {
            std::lock_guard<std::mutex> lock(owner_.mutex_);
            owner_.ran_[key_] = {worker, lane};
            stream = {&engine_, -1, -1, 0, false};  // nothing to read: it ends at once
            return key_ != "unopened";
        }
        std::unique_ptr<WorkAhead::Piece> finish(bool streamed) override
        {
            return std::make_unique<Made>(key_ + (streamed ? "" : " (not streamed)"));
        }

    private:
        Streams& owner_;
        std::string key_;
        KeystreamEngine engine_;
    };
    WorkAhead::Expected expected(const std::string& key)
    {
        return {key, nullptr, [this, key] { return std::make_unique<Job>(*this, key); }};
    }
    Ran ran(const std::string& key)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return ran_.count(key) ? ran_[key] : Ran{};
    }

private:
    std::mutex mutex_;
    std::map<std::string, Ran> ran_;
};

// Without helpers, the batch reaching a piece not started runs it on its own
// thread together with the pieces after it, one lane each, and claims them
// afterwards without running them again; a piece whose start fails is made at once.
TEST(WorkAheadTest, TheBatchRunsStreamJobsEightAtATimeWithoutHelpers)
{
    Streams streams;
    WorkAhead work(0);
    std::vector<WorkAhead::Expected> expected;
    const std::vector<std::string> keys = {"a", "unopened", "c", "d", "e", "f", "g", "h", "i", "j"};
    for (const std::string& key : keys)
        expected.push_back(streams.expected(key));
    work.expect(std::move(expected));

    EXPECT_EQ(keyOf(work.claim("a")), "a");
    for (size_t k = 0; k < 9; ++k)  // "unopened" gave its lane to "i"
        EXPECT_EQ(streams.ran(keys[k]).worker, work.helpers()) << keys[k];
    EXPECT_EQ(streams.ran("c").lane, 1u);
    EXPECT_EQ(streams.ran("i").lane, 7u);
    EXPECT_EQ(streams.ran("j").worker, SIZE_MAX);  // past the eight lanes
    EXPECT_EQ(keyOf(work.claim("unopened")), "unopened (not streamed)");
    EXPECT_EQ(keyOf(work.claim("d")), "d");
    EXPECT_EQ(keyOf(work.claim("j")), "(none)");  // the last: done alone; going past e..i drops them
    EXPECT_EQ(keyOf(work.claim("e")), "(none)");
}

// A helper runs the stream jobs after the batch's next one; the batch does
// that one alone, as no other waits to run with it.
TEST(WorkAheadTest, AHelperRunsTheStreamJobsAfterTheBatchsNextOne)
{
    Streams streams;
    WorkAhead work(1);
    std::vector<WorkAhead::Expected> expected;
    for (const char* key : {"a", "b", "c"})
        expected.push_back(streams.expected(key));
    work.expect(std::move(expected));
    for (int wait = 0; wait < 1000 && streams.ran("c").worker == SIZE_MAX; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(streams.ran("a").worker, SIZE_MAX);
    EXPECT_EQ(streams.ran("b").worker, 0u);
    EXPECT_EQ(streams.ran("c").worker, 0u);
    EXPECT_EQ(keyOf(work.claim("a")), "(none)");
    EXPECT_EQ(streams.ran("a").worker, SIZE_MAX);
    EXPECT_EQ(keyOf(work.claim("b")), "b");
    EXPECT_EQ(keyOf(work.claim("c")), "c");
}

} // namespace
} // namespace mvx::test
