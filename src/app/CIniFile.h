#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// A settings file in the INI layout, read and written with the semantics of
// the Windows private-profile calls the file format comes from: section and
// key names compare case-insensitively, the first of duplicate keys counts,
// values are trimmed and lose one pair of enclosing quotes, string values are
// read into 256-byte buffers (at most 255 bytes, never cut inside a UTF-8
// character), and lines the program does not know (comments, other sections,
// other keys) are kept as they were.
class CIniFile {
public:
    static constexpr size_t kValueBufferSize = 256;

    // Reads the file; false when it does not exist or cannot be read (the
    // object is then empty).
    bool load(const std::string& path);
    // Writes the file through a temporary file and a rename, so a failed
    // write leaves the old file whole; false on failure.
    bool save(const std::string& path) const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // GetPrivateProfileString: the value, or the default when the key is absent.
    std::string getString(const std::string& section, const std::string& key, const std::string& def) const;
    // GetPrivateProfileInt: the default when the key is absent or empty, the
    // leading decimal number otherwise, 0 when there is none.
    int getInt(const std::string& section, const std::string& key, int def) const;

    // WritePrivateProfileString: replaces the key's value in place or appends
    // the key to its section (the section to the file when missing).
    void setString(const std::string& section, const std::string& key, const std::string& value);
    void setInt(const std::string& section, const std::string& key, int value);

    const std::vector<std::string>& lines() const { return lines_; }

private:
    // What a line is, worked out once when the line is read or written, so a
    // lookup never parses the lines again (a line may be megabytes long).
    struct LineFacts {
        enum Kind : unsigned char { Other, Section, Key } kind = Other;
        std::string name;
    };
    static LineFacts factsOf(const std::string& line);
    void setLine(size_t index, std::string line);
    void insertLine(size_t index, std::string line);

    struct Range {
        size_t begin;  // first line after the section header
        size_t end;    // one past the last line of the section
    };
    std::optional<Range> findSection(const std::string& section) const;
    std::optional<size_t> findKey(const Range& range, const std::string& key) const;

    std::vector<std::string> lines_;
    std::vector<LineFacts> facts_;
};

// The integer a private-profile value stands for: leading blanks, an optional
// sign and decimal digits; 0 when no digit follows. Values beyond the int
// range are clamped.
int parseProfileInt(const std::string& text);

} // namespace mvx
