#pragma once

#include <ios>
#include <mutex>
#include <streambuf>
#include <string>

namespace mvx::cli {

// Standard error on a terminal, shared by the messages and one progress line
// that is redrawn in place: whatever is written through this buffer first
// clears the progress line, so a message never lands in the middle of it.
class TerminalLine : public std::streambuf {
public:
    explicit TerminalLine(std::streambuf& target) : target_(target) {}

    // Draws the line in place of the previous one. While a question waits on
    // the screen for its answer the line is only kept, to be drawn once the
    // answer is given.
    void draw(const std::string& line);
    // Removes the line from the screen.
    void clear();
    // The user has answered the question (the terminal is on a new line).
    void answered();

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void clearLocked();
    void drawLocked(const std::string& line);
    void noteWritten(const char* text, std::streamsize count);

    std::streambuf& target_;
    std::mutex lock_;
    bool shown_ = false;
    // Text ending without a newline (a prompt) is on the screen.
    bool lineOpen_ = false;
    std::string kept_;
};

} // namespace mvx::cli
