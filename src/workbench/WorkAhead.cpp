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
    if (threads_.empty())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& item : work)
            entries_.push_back({std::move(item.key), std::move(item.job), State::Waiting, nullptr});
    }
    changed_.notify_all();
}

WorkAhead::Entries::iterator WorkAhead::nextForHelper()
{
    // The first waiting piece is the batch's own next one; a helper takes the
    // second, so the two work side by side instead of one waiting for the other.
    size_t ahead = 0, waitingSeen = 0;
    for (auto it = entries_.begin(); it != entries_.end() && ahead < kWindow; ++it, ++ahead) {
        if (it->state != State::Waiting)
            continue;
        if (waitingSeen++ == 1)
            return it;
    }
    return entries_.end();
}

void WorkAhead::helperLoop(size_t helper)
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Entries::iterator entry;
        changed_.wait(lock, [&] { return stopping_ || (entry = nextForHelper()) != entries_.end(); });
        if (stopping_)
            return;
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
