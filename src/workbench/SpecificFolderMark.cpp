#include "workbench/SpecificFolderMark.h"

#include "keys/KeyFileNames.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace mvx {

namespace {

constexpr const char* kOwnLine = "X-Morvanex-SpecificFolder=true";
constexpr const char* kContent = "[Desktop Entry]\nIcon=folder-locked\nX-Morvanex-SpecificFolder=true\n";

std::string markPath(const std::string& folder)
{
    return KeyFileNames::withTrailingSlash(folder) + SpecificFolderMark::kFileName;
}

std::string contentOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool existsAt(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

} // namespace

bool SpecificFolderMark::isMarked(const std::string& folder)
{
    return !folder.empty() && contentOf(markPath(folder)).find(kOwnLine) != std::string::npos;
}

bool SpecificFolderMark::mark(const std::string& folder)
{
    if (folder.empty())
        return false;
    const std::string path = markPath(folder);
    if (existsAt(path))
        return isMarked(folder);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << kContent;
    out.close();
    if (out)
        return true;
    ::unlink(path.c_str());
    return false;
}

bool SpecificFolderMark::unmark(const std::string& folder)
{
    if (!isMarked(folder))
        return true;
    return ::unlink(markPath(folder).c_str()) == 0;
}

} // namespace mvx
