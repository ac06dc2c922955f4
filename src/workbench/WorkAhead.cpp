#include "workbench/WorkAhead.h"

#include <algorithm>
#include <sched.h>

namespace mvx {

WorkAhead::WorkAhead(size_t helpers) { start(helpers); }

void WorkAhead::start(size_t helpers)
{
    for (size_t h = 0; h < helpers; ++h) {
        const size_t index = threads_.size();
        threads_.emplace_back([this, index] { helperLoop(index); });
    }
}

WorkAhead::~WorkAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (auto& thread : threads_)
        thread.join();
    entries_.clear();
}

size_t WorkAhead::spareCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 0;
    const int cores = CPU_COUNT(&set);
    return cores > 1 ? static_cast<size_t>(cores - 1) : 0;
}

void WorkAhead::expect(std::vector<Expected> work)
{
    cancel();
    const bool streams = std::any_of(work.begin(), work.end(), [](const Expected& e) { return e.stream != nullptr; });
    // Without helpers only stream jobs are of use: the batch runs them itself, several at once.
    if (threads_.empty() && !streams)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        streams_ = streams;
        for (auto& item : work)
            entries_.push_back({std::move(item.key), std::move(item.job), std::move(item.stream), State::Waiting, nullptr});
    }
    changed_.notify_all();
}

WorkAhead::Entries::iterator WorkAhead::waitingAt(size_t place)
{
    // The first waiting piece is the batch's own next one; a helper takes the
    // second, so the two work side by side instead of one waiting for the other.
    const size_t window = streams_ ? kStreamWindow : kWindow;
    size_t ahead = 0, waitingSeen = 0;
    for (auto it = entries_.begin(); it != entries_.end() && ahead < window; ++it, ++ahead) {
        if (it->state != State::Waiting)
            continue;
        if (waitingSeen++ == place)
            return it;
    }
    return entries_.end();
}

// Hands the stream jobs that pick names to a MultiStreamTransform and marks
// each piece done as its stream ends.
class WorkAhead::Session : public MultiStreamTransform::Source {
public:
    Session(WorkAhead& work, size_t worker, const std::function<Entries::iterator()>& pick)
        : work_(work), worker_(worker), pick_(pick)
    {
    }

    bool next(size_t lane, MultiStreamTransform::Stream& stream) override
    {
        for (;;) {
            Entries::iterator entry;
            {
                std::lock_guard<std::mutex> lock(work_.mutex_);
                entry = work_.stopping_ ? work_.entries_.end() : pick_();
                if (entry == work_.entries_.end() || !entry->stream)
                    return false;
                entry->state = State::Running;
            }
            std::unique_ptr<StreamJob> job = entry->stream();
            if (job->start(worker_, lane, stream)) {
                lanes_[lane] = {entry, std::move(job)};
                return true;
            }
            work_.finish(entry, job->finish(false));
        }
    }

    void finished(size_t lane, bool ok) override
    {
        Lane& l = lanes_[lane];
        work_.finish(l.entry, l.job->finish(ok));
        l.job.reset();
    }

private:
    struct Lane {
        Entries::iterator entry;
        std::unique_ptr<StreamJob> job;
    };
    WorkAhead& work_;
    const size_t worker_;
    const std::function<Entries::iterator()>& pick_;
    Lane lanes_[MultiStreamTransform::kLanes];
};

void WorkAhead::finish(Entries::iterator entry, std::unique_ptr<Piece> piece)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The entry stays in the list while it runs: claim and cancel wait for Done.
        entry->piece = std::move(piece);
        entry->state = State::Done;
    }
    changed_.notify_all();
}

void WorkAhead::runStreams(size_t worker, const std::function<Entries::iterator()>& pick)
{
    Session session(*this, worker, pick);
    MultiStreamTransform transform;
    transform.run(session);
}

void WorkAhead::runOwnStreams(Entries::iterator entry)
{
    // Its own piece first, then the waiting pieces after it while its own runs.
    bool ownTaken = false;
    runStreams(threads_.size(), [&]() -> Entries::iterator {
        if (!ownTaken) {
            ownTaken = true;
            return entry->state == State::Waiting ? entry : entries_.end();
        }
        return entry->state == State::Done ? entries_.end() : waitingAt(0);
    });
}

void WorkAhead::helperLoop(size_t helper)
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Entries::iterator entry;
        changed_.wait(lock, [&] { return stopping_ || (entry = nextForHelper()) != entries_.end(); });
        if (stopping_)
            return;
        if (entry->stream) {
            lock.unlock();
            runStreams(helper, [this] { return nextForHelper(); });
            lock.lock();
            continue;
        }
        entry->state = State::Running;
        Job job = std::move(entry->job);
        lock.unlock();
        std::unique_ptr<Piece> piece = job(helper);
        lock.lock();
        // The entry stays in the list while it runs: claim and cancel wait for Done.
        entry->piece = std::move(piece);
        entry->state = State::Done;
        changed_.notify_all();
    }
}

std::unique_ptr<WorkAhead::Piece> WorkAhead::waitAndTake(Entries::iterator entry, std::unique_lock<std::mutex>& lock)
{
    changed_.wait(lock, [&] { return entry->state == State::Done; });
    std::unique_ptr<Piece> piece = std::move(entry->piece);
    entries_.erase(entry);
    return piece;
}

std::unique_ptr<WorkAhead::Piece> WorkAhead::claim(const std::string& key)
{
    std::list<Entry> passed;  // pieces the batch went past are of no use any more
    std::unique_ptr<Piece> piece;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
        if (found == entries_.end())
            return nullptr;  // unknown, or claimed already: the pieces ahead stay
        auto it = entries_.begin();
        while (it != found) {
            const auto next = std::next(it);
            if (it->state != State::Running)
                passed.splice(passed.end(), entries_, it);
            it = next;
        }
        // A piece with no waiting one to join it is done alone, on the single stream's own pipeline.
        if (it->state == State::Waiting && it->stream && waitingAt(1) != entries_.end()) {
            lock.unlock();
            runOwnStreams(it);
            lock.lock();
        }
        if (it->state == State::Waiting)
            passed.splice(passed.end(), entries_, it);
        else
            piece = waitAndTake(it, lock);
    }
    changed_.notify_all();
    return piece;
}

void WorkAhead::cancel()
{
    std::list<Entry> dropped;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end();) {
            const auto next = std::next(it);
            if (it->state == State::Waiting)
                dropped.splice(dropped.end(), entries_, it);
            it = next;
        }
        changed_.wait(lock, [&] {
            for (const Entry& e : entries_)
                if (e.state == State::Running)
                    return false;
            return true;
        });
        dropped.splice(dropped.end(), entries_);
    }
}

} // namespace mvx
