#include "cli/TerminalLine.h"

#include <utility>

namespace mvx::cli {

namespace {

constexpr char kClear[] = "\r\033[K";

} // namespace

void TerminalLine::draw(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (lineOpen_) {
        kept_ = line;
        return;
    }
    drawLocked(line);
}

void TerminalLine::drawLocked(const std::string& line)
{
    const std::string text = kClear + line;
    target_.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    target_.pubsync();
    shown_ = true;
}

void TerminalLine::answered()
{
    std::lock_guard<std::mutex> guard(lock_);
    lineOpen_ = false;
    if (!kept_.empty())
        drawLocked(std::exchange(kept_, std::string()));
}

void TerminalLine::noteWritten(const char* text, std::streamsize count)
{
    if (count > 0)
        lineOpen_ = text[count - 1] != '\n';
}

void TerminalLine::clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    clearLocked();
    target_.pubsync();
}

void TerminalLine::clearLocked()
{
    if (!shown_)
        return;
    target_.sputn(kClear, sizeof kClear - 1);
    shown_ = false;
}

TerminalLine::int_type TerminalLine::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    std::lock_guard<std::mutex> guard(lock_);
    clearLocked();
    const char written = traits_type::to_char_type(ch);
    noteWritten(&written, 1);
    return target_.sputc(written);
}

std::streamsize TerminalLine::xsputn(const char* text, std::streamsize count)
{
    std::lock_guard<std::mutex> guard(lock_);
    clearLocked();
    noteWritten(text, count);
    return target_.sputn(text, count);
}

int TerminalLine::sync() { return target_.pubsync(); }

} // namespace mvx::cli
