#pragma once

#include "engine/MultiStreamTransform.h"

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
//
// Pieces that carry a stream job run their keystreams side by side: a helper
// keeps up to eight of them going on its core (MultiStreamTransform), and the
// batch, reaching such a piece not yet started, runs it the same way together
// with the waiting pieces after it (quietly, as a helper would) instead of
// doing it alone; with none waiting after it, it does it alone. This needs
// no helper thread at all.
class WorkAhead {
public:
    // What a helper made; dropping it undoes it (removes its temporary files).
    struct Piece {
        virtual ~Piece() = default;
    };
    using Job = std::function<std::unique_ptr<Piece>(size_t helper)>;
    // A piece made around a keystream that runs beside other pieces': start
    // opens its files and keys its stream (false: there is nothing to run);
    // finish makes the piece once the stream ended, or at once after a false start.
    class StreamJob {
    public:
        virtual ~StreamJob() = default;
        // worker: the helper's index, or helpers() for the batch's own thread.
        virtual bool start(size_t worker, size_t lane, MultiStreamTransform::Stream& stream) = 0;
        virtual std::unique_ptr<Piece> finish(bool streamed) = 0;
    };
    using StreamJobMaker = std::function<std::unique_ptr<StreamJob>()>;
    struct Expected {
        std::string key;
        Job job;
        StreamJobMaker stream = nullptr;  // when set, the piece is made through it
    };

    // At most this many pieces lie finished and unclaimed.
    static constexpr size_t kWindow = 8;
    // With stream jobs: the lanes of a helper and of the batch, and as many again ready.
    static constexpr size_t kStreamWindow = 3 * MultiStreamTransform::kLanes;

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
        StreamJobMaker stream;
        State state = State::Waiting;
        std::unique_ptr<Piece> piece;
    };
    using Entries = std::list<Entry>;
    class Session;

    void helperLoop(size_t helper);
    // The waiting piece at this place among the waiting ones (0: the first)
    // within the window; end() when none.
    Entries::iterator waitingAt(size_t place);
    // The piece a helper should take next; end() when none.
    Entries::iterator nextForHelper() { return waitingAt(1); }
    // Runs stream jobs on this thread while pick (called under the lock) names waiting ones.
    void runStreams(size_t worker, const std::function<Entries::iterator()>& pick);
    // The batch's own thread runs entry, which is waiting, with the waiting pieces after it.
    void runOwnStreams(Entries::iterator entry);
    void finish(Entries::iterator entry, std::unique_ptr<Piece> piece);
    std::unique_ptr<Piece> waitAndTake(Entries::iterator entry, std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    Entries entries_;
    bool streams_ = false;  // the expected work carries stream jobs
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace mvx
