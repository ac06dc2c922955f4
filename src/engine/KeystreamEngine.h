#pragma once

#include "engine/ChunkPipeline.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace mvx {

// The program's own keystream cipher over an 8-word state. XOR with the
// keystream: the same call enciphers and deciphers. Files go through
// 1,024,000-byte buffers owned by the engine, so memory stays constant; a file
// longer than one buffer is read and written on helper threads while the
// calling thread runs the keystream.
class KeystreamEngine {
public:
    static constexpr size_t kBufferSize = 1024000;
    static constexpr int kWords = 8;
    static constexpr size_t kBlockSize = 16;
    // Streams one call of transformChunks advances together.
    static constexpr size_t kMaxStreams = 8;

    KeystreamEngine();   // create: word count unset; the file buffer is allocated by the first file transform
    ~KeystreamEngine();  // destroy: clears the state, frees the buffer
    KeystreamEngine(const KeystreamEngine&) = delete;
    KeystreamEngine& operator=(const KeystreamEngine&) = delete;

    void setWordCount(int n) { wordCount_ = n; }
    int wordCount() const { return wordCount_; }
    bool isKeyed() const { return keyed_; }

    // Builds state and initial state from 8 key words; returns 4 * word count
    // (0 when the word count is not 8, which nothing in the program uses).
    int initialise(const uint32_t* keyWords);
    // The state right after initialisation; initialising with it rebuilds the same state.
    void copyInitialState(uint32_t* destination) const;
    void step();

    // XOR of length bytes with the keystream; no step after the last (partial or full) block.
    void transformBuffer(const void* source, size_t length, void* destination);
    // Whole input to output through the engine buffer; a step follows every block.
    // Returns false when a read or write fails.
    bool transformFile(int inputFd, int outputFd);
    // Exactly byteCount bytes; false when the input ends early or a read or write fails.
    bool transformFilePart(int inputFd, uint64_t byteCount, int outputFd);

    void clear(bool keepWordCount);

    // One chunk of each of up to kMaxStreams streams, in place, with the same
    // result as engines[i] gives its chunk within a file transform (a step
    // follows every block, the last partial one too). The engines must be
    // distinct. Eight-lane AVX2 where the CPU has it, the scalar step otherwise.
    static void transformChunks(KeystreamEngine* const* engines, uint8_t* const* chunks, const size_t* lengths,
                                size_t count);
    // The scalar step for transformChunks whatever the CPU (tests and
    // benchmarks; MVX_SCALAR_KEYSTREAM=1 in the environment sets it at start).
    static void setScalarStreams(bool scalar);
    static bool streamsUseAvx2();

    // A flag that ends a file transform between two chunks (the window's Stop).
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    // The last file transform ended because the flag was set.
    bool stopped() const { return stopped_; }

private:
    friend class MultiStreamTransform;

    void transformChunk(size_t length);
    void transformChunkAt(uint8_t* data, size_t length);
    bool transformSmall(int inputFd, uint64_t byteCount, bool unlimited, int outputFd);
    ChunkPipeline::Result transformPipelined(int inputFd, uint64_t byteCount, bool unlimited, int outputFd);

    bool stopRequested();

    const std::atomic<bool>* stop_ = nullptr;
    bool stopped_ = false;
    int wordCount_ = -1;
    uint32_t packed_ = 0;
    bool keyed_ = false;
    std::array<uint32_t, kWords> state_{};
    std::array<uint32_t, kWords> initial_{};
    std::unique_ptr<uint8_t[]> buffer_;
    std::unique_ptr<ChunkPipeline> pipeline_;
};

} // namespace mvx
