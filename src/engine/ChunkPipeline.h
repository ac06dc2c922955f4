#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace mvx {

// Moves a file through a transform in fixed-size chunks with reading and
// writing on two helper threads, so the caller's thread only transforms.
// Chunks keep their order and size (every chunk but the last is full), so
// the output is the same as a read-transform-write loop gives. Memory is
// kSlots chunks, whatever the file size.
class ChunkPipeline {
public:
    static constexpr size_t kSlots = 4;
    // Returns false to end the run early (Result::Failed).
    using Transform = std::function<bool(uint8_t* data, size_t length)>;

    explicit ChunkPipeline(size_t chunkSize);
    ~ChunkPipeline();
    ChunkPipeline(const ChunkPipeline&) = delete;
    ChunkPipeline& operator=(const ChunkPipeline&) = delete;

    enum class Result { Done, InputEndedEarly, Failed };

    // Reads byteLimit bytes (all of the input when unlimited) from inputFd,
    // transforms each chunk on the calling thread and writes it to outputFd.
    // The input is left positioned right after the last byte read.
    Result run(int inputFd, uint64_t byteLimit, bool unlimited, int outputFd, const Transform& transform);

private:
    enum class SlotState { Free, Filled, Transformed };
    struct Slot {
        std::unique_ptr<uint8_t[]> data;
        size_t length = 0;
        SlotState state = SlotState::Free;
    };

    void readAll(int inputFd, uint64_t byteLimit, bool unlimited);
    void writeAll(int outputFd);
    bool transformAll(const Transform& transform);
    // Waits until chunk `index` has the wanted state; false when the chunk lies past the end or the run failed.
    bool waitFor(uint64_t index, SlotState wanted, std::unique_lock<std::mutex>& lock);
    void setState(uint64_t index, SlotState state);
    void fail();

    const size_t chunkSize_;
    Slot slots_[kSlots];
    std::mutex mutex_;
    std::condition_variable changed_;
    uint64_t chunkCount_ = 0;  // known once the reader reached the end
    bool endKnown_ = false;
    bool inputShort_ = false;
    bool failed_ = false;
};

} // namespace mvx
