#include "workbench/ProgressLine.h"

#include "app/MessageFormat.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace mvx {

ProgressLine::ProgressLine(Display display, std::string format, size_t totalFiles, uint64_t totalBytes)
    : display_(std::move(display)), format_(std::move(format)), totalFiles_(totalFiles), totalBytes_(totalBytes)
{
    if (!display_.draw)
        return;
    display_.draw(text(0, 0));
    ticker_ = std::thread([this] { tick(); });
}

ProgressLine::~ProgressLine()
{
    if (!display_.draw)
        return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    ticker_.join();
    if (display_.clear)
        display_.clear();
}

void ProgressLine::startFile(const std::string& outputPath)
{
    std::lock_guard<std::mutex> guard(lock_);
    growing_ = outputPath;
}

void ProgressLine::fileDone(uint64_t bytes)
{
    std::lock_guard<std::mutex> guard(lock_);
    ++doneFiles_;
    doneBytes_ += bytes;
    growing_.clear();
}

void ProgressLine::setTotals(size_t files, uint64_t bytes)
{
    std::lock_guard<std::mutex> guard(lock_);
    totalFiles_ = files;
    totalBytes_ = bytes;
    doneFiles_ = 0;
    doneBytes_ = 0;
    started_ = std::chrono::steady_clock::now();
}

uint64_t ProgressLine::growingBytes() const
{
    struct stat st {};
    if (growing_.empty() || ::stat(growing_.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return static_cast<uint64_t>(st.st_size);
}

void ProgressLine::tick()
{
    std::unique_lock<std::mutex> guard(lock_);
    while (!wake_.wait_for(guard, display_.every, [this] { return stopping_; })) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        const uint64_t bytes = std::min(totalBytes_, doneBytes_ + growingBytes());
        display_.draw(text(bytes, seconds));
    }
}

std::string ProgressLine::byteText(double bytes)
{
    static const char* const units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    size_t unit = 0;
    while (bytes >= 1024 && unit + 1 < std::size(units)) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

std::string ProgressLine::text(uint64_t doneBytes, double seconds) const
{
    const double rate = seconds > 0 ? static_cast<double>(doneBytes) / seconds : 0;
    return formatMessage(format_, static_cast<long long>(doneFiles_), static_cast<long long>(totalFiles_),
                         byteText(static_cast<double>(doneBytes)), byteText(static_cast<double>(totalBytes_)),
                         byteText(rate));
}

} // namespace mvx
