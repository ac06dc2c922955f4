#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace mvx {

// The progress line of a batch, on a terminal or in the window: files done
// of the total, bytes done of the total (the output growing counts for the
// file under way) and the rate, drawn four times a second and cleared at the
// end. Without a place to draw it does nothing. Thread-safe.
class ProgressLine {
public:
    struct Display {
        std::function<void(const std::string& line)> draw;
        std::function<void()> clear;
        std::chrono::milliseconds every{250};  // between two draws
    };

    // format: the message table's "%d/%d files, %s of %s, %s/s".
    ProgressLine(Display display, std::string format, size_t totalFiles, uint64_t totalBytes);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // A file begins; outputPath (may be empty) grows while it is worked on.
    void startFile(const std::string& outputPath);
    void fileDone(uint64_t bytes);
    // The batch has listed its files (the window learns the totals late).
    void setTotals(size_t files, uint64_t bytes);

    std::string text(uint64_t doneBytes, double seconds) const;
    static std::string byteText(double bytes);

private:
    void tick();
    uint64_t growingBytes() const;

    Display display_;
    std::string format_;
    size_t totalFiles_;
    uint64_t totalBytes_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    size_t doneFiles_ = 0;
    uint64_t doneBytes_ = 0;
    std::string growing_;
    std::thread ticker_;
};

} // namespace mvx
