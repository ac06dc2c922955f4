#include "app/CIniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

const char* const kBlanks = " \t\r";

std::string trim(const std::string& s)
{
    const size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    const size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

std::optional<std::pair<std::string, std::string>> keyAndValue(const std::string& line)
{
    const std::string t = trim(line);
    if (t.empty() || t.front() == ';')
        return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return std::make_pair(trim(t.substr(0, eq)), trim(t.substr(eq + 1)));
}

std::string unquote(const std::string& v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// At most `limit` bytes, cut before a UTF-8 continuation byte if need be.
std::string cutToBuffer(const std::string& v, size_t limit)
{
    if (v.size() <= limit)
        return v;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(v[end]) & 0xC0) == 0x80)
        --end;
    return v.substr(0, end);
}

} // namespace

int parseProfileInt(const std::string& text)
{
    size_t i = text.find_first_not_of(kBlanks);
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    value = negative ? -value : value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

CIniFile::LineFacts CIniFile::factsOf(const std::string& line)
{
    const size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos || line[first] == ';')
        return {};
    if (line[first] == '[') {
        const size_t close = line.find(']', first);
        if (close != std::string::npos)
            return {LineFacts::Section, trim(line.substr(first + 1, close - first - 1))};
    }
    const size_t eq = line.find('=', first);
    if (eq == std::string::npos)
        return {};
    return {LineFacts::Key, trim(line.substr(first, eq - first))};
}

void CIniFile::setLine(size_t index, std::string line)
{
    facts_[index] = factsOf(line);
    lines_[index] = std::move(line);
}

void CIniFile::insertLine(size_t index, std::string line)
{
    facts_.insert(facts_.begin() + static_cast<std::ptrdiff_t>(index), factsOf(line));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

bool CIniFile::load(const std::string& path)
{
    lines_.clear();
    facts_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        facts_.push_back(factsOf(line));
        lines_.push_back(std::move(line));
    }
    if (in.bad()) {
        lines_.clear();
        facts_.clear();
        return false;
    }
    return true;
}

bool CIniFile::save(const std::string& path) const
{
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string& line : lines_)
            out << line << '\n';
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (::chmod(temporary.c_str(), mode) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<CIniFile::Range> CIniFile::findSection(const std::string& section) const
{
    const auto isSection = [this](size_t i) { return facts_[i].kind == LineFacts::Section; };
    for (size_t i = 0; i < facts_.size(); ++i) {
        if (!isSection(i) || !equalsIgnoringCase(facts_[i].name, section))
            continue;
        size_t end = i + 1;
        while (end < facts_.size() && !isSection(end))
            ++end;
        return Range{i + 1, end};
    }
    return std::nullopt;
}

std::optional<size_t> CIniFile::findKey(const Range& range, const std::string& key) const
{
    for (size_t i = range.begin; i < range.end; ++i)
        if (facts_[i].kind == LineFacts::Key && equalsIgnoringCase(facts_[i].name, key))
            return i;
    return std::nullopt;
}

std::optional<std::string> CIniFile::value(const std::string& section, const std::string& key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const auto line = findKey(*range, key);
    if (!line)
        return std::nullopt;
    return unquote(keyAndValue(lines_[*line])->second);
}

std::string CIniFile::getString(const std::string& section, const std::string& key, const std::string& def) const
{
    return cutToBuffer(value(section, key).value_or(def), kValueBufferSize - 1);
}

int CIniFile::getInt(const std::string& section, const std::string& key, int def) const
{
    const auto v = value(section, key);
    if (!v || v->empty())
        return def;
    return parseProfileInt(*v);
}

void CIniFile::setString(const std::string& section, const std::string& key, const std::string& rawValue)
{
    // A line break in a value would start a new line (and a new key) in the file.
    std::string value = rawValue;
    for (char& c : value)
        if (c == '\n' || c == '\r')
            c = ' ';
    // Reading trims blanks around a value and takes off one pair of quotes:
    // such a value is written inside quotes so that it reads back the same.
    if (trim(value) != value || unquote(value) != value)
        value = '"' + value + '"';
    auto range = findSection(section);
    if (!range) {
        if (!lines_.empty() && !trim(lines_.back()).empty())
            insertLine(lines_.size(), {});
        insertLine(lines_.size(), "[" + section + "]");
        range = Range{lines_.size(), lines_.size()};
    }
    if (const auto line = findKey(*range, key)) {
        // The name keeps the spelling it had in the file.
        setLine(*line, facts_[*line].name + "=" + value);
        return;
    }
    size_t insertAt = range->end;
    while (insertAt > range->begin && lines_[insertAt - 1].find_first_not_of(kBlanks) == std::string::npos)
        --insertAt;
    insertLine(insertAt, key + "=" + value);
}

void CIniFile::setInt(const std::string& section, const std::string& key, int value)
{
    setString(section, key, std::to_string(value));
}

} // namespace mvx
