#include "app/FileFilter.h"

#include <sstream>

namespace mvx {

namespace {

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

} // namespace

std::vector<FileFilter> FileFilter::parse(const std::string& text)
{
    std::vector<FileFilter> filters;
    const auto parts = splitOn(text, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() || parts[i + 1].empty())
            break;
        filters.push_back({parts[i], splitOn(parts[i + 1], ';')});
    }
    return filters;
}

std::string FileFilter::desktopFilter() const
{
    std::string patternText;
    for (const auto& pattern : patterns) {
        if (!patternText.empty())
            patternText += ' ';
        patternText += pattern == "*.*" ? "*" : pattern;
    }
    // A description that ends in its own "(*.ext)" shows it once: the dialog
    // reads the patterns from the last parentheses, so they are put there.
    const size_t open = description.rfind('(');
    if (!description.empty() && description.back() == ')' && open != std::string::npos)
        return description.substr(0, open + 1) + patternText + ")";
    return description + " (" + patternText + ")";
}

} // namespace mvx
