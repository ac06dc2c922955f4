#include "engine/ChunkPipeline.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <thread>
#include <unistd.h>

namespace mvx {

ChunkPipeline::ChunkPipeline(size_t chunkSize) : chunkSize_(chunkSize)
{
    for (Slot& slot : slots_)
        slot.data.reset(new uint8_t[chunkSize_]);
}

ChunkPipeline::~ChunkPipeline() = default;

ChunkPipeline::Result ChunkPipeline::run(int inputFd, uint64_t byteLimit, bool unlimited, int outputFd,
                                         const Transform& transform)
{
    for (Slot& slot : slots_)
        slot.state = SlotState::Free;
    chunkCount_ = 0;
    endKnown_ = inputShort_ = failed_ = false;

    std::thread reader([&] { readAll(inputFd, byteLimit, unlimited); });
    std::thread writer([&] { writeAll(outputFd); });
    const bool transformed = transformAll(transform);
    reader.join();
    writer.join();
    if (!transformed || failed_)
        return Result::Failed;
    return inputShort_ ? Result::InputEndedEarly : Result::Done;
}

bool ChunkPipeline::waitFor(uint64_t index, SlotState wanted, std::unique_lock<std::mutex>& lock)
{
    const Slot& slot = slots_[index % kSlots];
    changed_.wait(lock, [&] {
        return failed_ || (endKnown_ && index >= chunkCount_) || slot.state == wanted;
    });
    return !failed_ && !(endKnown_ && index >= chunkCount_);
}

void ChunkPipeline::setState(uint64_t index, SlotState state)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slots_[index % kSlots].state = state;
    }
    changed_.notify_all();
}

void ChunkPipeline::fail()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failed_ = true;
    }
    changed_.notify_all();
}

void ChunkPipeline::readAll(int inputFd, uint64_t byteLimit, bool unlimited)
{
    uint64_t left = byteLimit;
    for (uint64_t index = 0;; ++index) {
        Slot& slot = slots_[index % kSlots];
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return failed_ || slot.state == SlotState::Free; });
            if (failed_)
                return;
        }
        const size_t want = unlimited ? chunkSize_ : static_cast<size_t>(std::min<uint64_t>(chunkSize_, left));
        const long long n = want == 0 ? 0 : readFully(inputFd, slot.data.get(), want);
        if (n < 0)
            return fail();
        slot.length = static_cast<size_t>(n);
        left -= static_cast<uint64_t>(n);
        const bool last = static_cast<size_t>(n) < want || (!unlimited && left == 0);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (n > 0)
                slot.state = SlotState::Filled;
            if (last) {
                chunkCount_ = n > 0 ? index + 1 : index;
                endKnown_ = true;
                inputShort_ = !unlimited && left > 0;
            }
        }
        changed_.notify_all();
        if (last)
            return;
    }
}

bool ChunkPipeline::transformAll(const Transform& transform)
{
    for (uint64_t index = 0;; ++index) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!waitFor(index, SlotState::Filled, lock))
                return !failed_;
        }
        Slot& slot = slots_[index % kSlots];
        if (!transform(slot.data.get(), slot.length)) {
            fail();
            return false;
        }
        setState(index, SlotState::Transformed);
    }
}

void ChunkPipeline::writeAll(int outputFd)
{
    // Outputs are flushed when they are complete (a batch commits each one);
    // starting the disk writes chunk by chunk lets that flush overlap the
    // transform instead of following it.
    const off_t start = ::lseek(outputFd, 0, SEEK_CUR);
    uint64_t written = 0;
    for (uint64_t index = 0;; ++index) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!waitFor(index, SlotState::Transformed, lock))
                return;
        }
        Slot& slot = slots_[index % kSlots];
        if (!writeFully(outputFd, slot.data.get(), slot.length))
            return fail();
        if (start >= 0)
            startWriteback(outputFd, static_cast<uint64_t>(start) + written, slot.length);
        written += slot.length;
        setState(index, SlotState::Free);
    }
}

} // namespace mvx
