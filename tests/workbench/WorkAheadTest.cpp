// The helpers that work ahead of a batch: what the batch claims, what it drops.
#include "workbench/WorkAhead.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>

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

} // namespace
} // namespace mvx::test
