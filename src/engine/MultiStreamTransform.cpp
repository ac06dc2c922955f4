#include "engine/MultiStreamTransform.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <unistd.h>

namespace mvx {

MultiStreamTransform::MultiStreamTransform() : buffers_(new uint8_t[kLanes * kChunkSize]) {}

MultiStreamTransform::~MultiStreamTransform() = default;

void MultiStreamTransform::fill(Source& source, bool& sourceDry)
{
    for (size_t l = 0; l < kLanes && !sourceDry; ++l) {
        Lane& lane = lanes_[l];
        if (lane.busy)
            continue;
        lane.stream = Stream();
        if (!source.next(l, lane.stream)) {
            sourceDry = true;
            break;
        }
        lane.busy = true;
        lane.stream.engine->stopped_ = false;
        lane.start = ::lseek(lane.stream.outputFd, 0, SEEK_CUR);
        lane.written = 0;
    }
}

void MultiStreamTransform::end(Source& source, size_t lane, bool ok)
{
    lanes_[lane].busy = false;
    lanes_[lane].length = 0;
    laneFreed_ = true;
    source.finished(lane, ok);
}

void MultiStreamTransform::readRound(Source& source)
{
    for (size_t l = 0; l < kLanes; ++l) {
        Lane& lane = lanes_[l];
        if (!lane.busy)
            continue;
        Stream& s = lane.stream;
        if (s.engine->stopRequested()) {
            end(source, l, false);
            continue;
        }
        const size_t want =
            s.unlimited ? kChunkSize : static_cast<size_t>(std::min<uint64_t>(kChunkSize, s.byteCount));
        const long long n = want == 0 ? 0 : readFully(s.inputFd, buffers_.get() + l * kChunkSize, want);
        if (n < 0) {
            end(source, l, false);
            continue;
        }
        lane.length = static_cast<size_t>(n);
        if (!s.unlimited)
            s.byteCount -= lane.length;
        // A short read ends the file; a limited part fails when the input ended early.
        if (lane.length == 0)
            end(source, l, s.unlimited || s.byteCount == 0);
    }
}

void MultiStreamTransform::run(Source& source)
{
    bool sourceDry = false;
    for (;;) {
        laneFreed_ = false;
        fill(source, sourceDry);
        readRound(source);
        KeystreamEngine* engines[kLanes];
        uint8_t* chunks[kLanes];
        size_t lengths[kLanes], lanes[kLanes], count = 0;
        for (size_t l = 0; l < kLanes; ++l) {
            if (!lanes_[l].busy)
                continue;
            engines[count] = lanes_[l].stream.engine;
            chunks[count] = buffers_.get() + l * kChunkSize;
            lengths[count] = lanes_[l].length;
            lanes[count++] = l;
        }
        if (count == 0) {
            if (sourceDry)
                return;
            continue;
        }
        KeystreamEngine::transformChunks(engines, chunks, lengths, count);
        for (size_t i = 0; i < count; ++i) {
            Lane& lane = lanes_[lanes[i]];
            const Stream& s = lane.stream;
            if (!writeFully(s.outputFd, chunks[i], lane.length)) {
                end(source, lanes[i], false);
                continue;
            }
            // Disk writes start chunk by chunk, so the output's flush at its end finds little left.
            if (lane.start >= 0)
                startWriteback(s.outputFd, static_cast<uint64_t>(lane.start) + lane.written, lane.length);
            lane.written += lane.length;
            // A short chunk ends a whole file, the last byte a part (a part that ends early ends in readRound).
            if (s.unlimited ? lane.length < kChunkSize : s.byteCount == 0)
                end(source, lanes[i], true);
        }
        if (sourceDry && std::none_of(std::begin(lanes_), std::end(lanes_), [](const Lane& l) { return l.busy; }))
            return;
        // A lane that ended may take the next file.
        if (laneFreed_)
            sourceDry = false;
    }
}

} // namespace mvx
