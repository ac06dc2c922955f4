#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mvx {

// Runs a batch's per-file work ahead of the batch's own thread on the spare
// cores. The batch lists the work it expects to reach, in its order; a helper
// takes every second piece not yet claimed, leaving the next one to the batch.
// When the batch reaches a piece it claims it: finished or running work is
// handed over (waiting for it), work not started is dropped and the batch
// does it itself. Helpers never talk to the user; what they made is used only
// when the batch finds it still fits, so the batch's questions, messages and
// results stay those of a run on one core.
class WorkAhead {
public:
    // What a helper made; dropping it undoes it (removes its temporary files).
    struct Piece {
        virtual ~Piece() = default;
    };
    using Job = std::function<std::unique_ptr<Piece>(size_t helper)>;
    struct Expected {
        std::string key;
        Job job;
    };

    // At most this many pieces lie finished and unclaimed.
    static constexpr size_t kWindow = 8;

    // No helper at all leaves every piece to the batch.
    explicit WorkAhead(size_t helpers = 0);
    ~WorkAhead();
    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    // The cores this process may run on, less the batch's own.
    static size_t spareCores();
    size_t helpers() const { return threads_.size(); }
    // Adds helper threads.
    void start(size_t helpers);

    // Replaces the expected work (what was not claimed is dropped).
    void expect(std::vector<Expected> work);
    // The piece for key, after it finished; nullptr when it had not started (it is dropped then) or is unknown.
    std::unique_ptr<Piece> claim(const std::string& key);
    // Drops every piece not claimed, after waiting for running ones.
    void cancel();

private:
    enum class State { Waiting, Running, Done };
    struct Entry {
        std::string key;
        Job job;
        State state = State::Waiting;
        std::unique_ptr<Piece> piece;
    };
    using Entries = std::list<Entry>;

    void helperLoop(size_t helper);
    // The piece a helper should take next; end() when none.
    Entries::iterator nextForHelper();
    std::unique_ptr<Piece> waitAndTake(Entries::iterator entry, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    Entries entries_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace mvx
