#include "cli/TerminalLine.h"

namespace mvx::cli {

namespace {

constexpr char kClear[] = "\r\033[K";

} // namespace

void TerminalLine::draw(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock_);
    const std::string text = kClear + line;
    target_.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    target_.pubsync();
    shown_ = true;
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
    return target_.sputc(traits_type::to_char_type(ch));
}

std::streamsize TerminalLine::xsputn(const char* text, std::streamsize count)
{
    std::lock_guard<std::mutex> guard(lock_);
    clearLocked();
    return target_.sputn(text, count);
}

int TerminalLine::sync() { return target_.pubsync(); }

} // namespace mvx::cli
