#pragma once

#include "engine/KeystreamEngine.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mvx {

// Moves up to eight files through their keystreams at once on the calling
// thread, a chunk of each at a time, so one core advances eight streams
// together (KeystreamEngine::transformChunks). Each file's output is the one
// transformFile or transformFilePart gives it. A lane that ends is offered
// the next file at once, so files of different sizes keep the lanes full.
class MultiStreamTransform {
public:
    static constexpr size_t kLanes = KeystreamEngine::kMaxStreams;
    static constexpr size_t kChunkSize = 256 * 1024;  // a multiple of the block size

    struct Stream {
        KeystreamEngine* engine = nullptr;  // keyed; its stop flag ends the stream between two chunks
        int inputFd = -1;
        int outputFd = -1;
        uint64_t byteCount = 0;  // with unlimited false: exactly these bytes
        bool unlimited = true;   // to the end of the input
    };
    // Hands out the files and learns how each went.
    class Source {
    public:
        virtual ~Source() = default;
        // The next file for a free lane; false when there is none for now
        // (asked again after the next file ends).
        virtual bool next(size_t lane, Stream& stream) = 0;
        // The lane's file ended: ok as transformFile / transformFilePart would return.
        virtual void finished(size_t lane, bool ok) = 0;
    };

    MultiStreamTransform();
    ~MultiStreamTransform();
    MultiStreamTransform(const MultiStreamTransform&) = delete;
    MultiStreamTransform& operator=(const MultiStreamTransform&) = delete;

    // Runs until the source has no file left and every lane has ended.
    void run(Source& source);

private:
    struct Lane {
        Stream stream;
        bool busy = false;
        size_t length = 0;  // bytes read into the buffer this round
        long long start = -1;  // the output's offset when the file began (-1: not a seekable file)
        uint64_t written = 0;
    };

    void fill(Source& source, bool& sourceDry);
    // Reads the next chunk of every busy lane; lanes that end are finished.
    void readRound(Source& source);
    void end(Source& source, size_t lane, bool ok);

    Lane lanes_[kLanes];
    bool laneFreed_ = false;
    std::unique_ptr<uint8_t[]> buffers_;
};

} // namespace mvx
