#include "platform/DesktopAssociations.h"

#include "platform/FileAttributes.h"
#include "platform/MimeTypeCookie.h"

#include <magic.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace mvx {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

// The value of key in one section of a desktop-entry style file; empty when absent.
std::string valueIn(const std::string& file, const std::string& section, const std::string& key)
{
    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos && trimmed(line.substr(0, equals)) == key)
            return trimmed(line.substr(equals + 1));
    }
    return {};
}

// The first application of a "a.desktop;b.desktop;" list that is installed.
std::string firstInstalled(const std::string& ids)
{
    for (const std::string& id : splitOn(ids, ';'))
        if (std::string path = DesktopAssociations::findDesktopFile(trimmed(id)); !path.empty())
            return path;
    return {};
}

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool listsType(const std::string& desktopFile, const std::string& mimeType)
{
    const auto types = splitOn(valueIn(desktopFile, "Desktop Entry", "MimeType"), ';');
    return std::find(types.begin(), types.end(), mimeType) != types.end();
}

} // namespace

std::string DesktopAssociations::mimeTypeOf(const std::string& file)
{
    magic_set* cookie = mimeTypeCookie();
    const char* type = cookie ? magic_file(cookie, file.c_str()) : nullptr;
    return type ? type : "";
}

std::string DesktopAssociations::execOf(const std::string& desktopFile)
{
    return valueIn(desktopFile, "Desktop Entry", "Exec");
}

std::vector<std::string> DesktopAssociations::applicationFolders()
{
    std::vector<std::string> folders;
    const std::string dataHome = environment("XDG_DATA_HOME"), home = environment("HOME");
    if (!dataHome.empty())
        folders.push_back(withSlash(dataHome) + "applications/");
    else if (!home.empty())
        folders.push_back(home + "/.local/share/applications/");
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share:/usr/share";
    for (const std::string& dir : splitOn(dataDirs, ':'))
        folders.push_back(withSlash(dir) + "applications/");
    return folders;
}

std::vector<std::string> DesktopAssociations::mimeAppsLists()
{
    std::vector<std::string> folders;
    const std::string configHome = environment("XDG_CONFIG_HOME"), home = environment("HOME");
    if (!configHome.empty())
        folders.push_back(withSlash(configHome));
    else if (!home.empty())
        folders.push_back(home + "/.config/");
    std::string configDirs = environment("XDG_CONFIG_DIRS");
    if (configDirs.empty())
        configDirs = "/etc/xdg";
    for (const std::string& dir : splitOn(configDirs, ':'))
        folders.push_back(withSlash(dir));
    for (const std::string& folder : applicationFolders())
        folders.push_back(folder);

    std::vector<std::string> desktops;
    for (std::string desktop : splitOn(environment("XDG_CURRENT_DESKTOP"), ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        desktops.push_back(desktop);
    }
    std::vector<std::string> lists;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : desktops)
            lists.push_back(folder + desktop + "-mimeapps.list");
        lists.push_back(folder + "mimeapps.list");
    }
    for (const std::string& folder : applicationFolders())
        lists.push_back(folder + "defaults.list");
    return lists;
}

std::string DesktopAssociations::findDesktopFile(const std::string& id)
{
    if (id.empty() || id.find("..") != std::string::npos)
        return {};
    for (const std::string& folder : applicationFolders()) {
        if (FileAttributes::isRegularFile(folder + id))
            return folder + id;
        std::string nested = id;
        for (size_t dash = nested.find('-'); dash != std::string::npos; dash = nested.find('-', dash + 1)) {
            nested[dash] = '/';
            if (FileAttributes::isRegularFile(folder + nested))
                return folder + nested;
            nested[dash] = '-';
        }
    }
    return {};
}

std::string DesktopAssociations::defaultDesktopFile(const std::string& mimeType)
{
    if (mimeType.empty())
        return {};
    for (const std::string& list : mimeAppsLists())
        if (std::string path = firstInstalled(valueIn(list, "Default Applications", mimeType)); !path.empty())
            return path;
    for (const std::string& folder : applicationFolders())
        if (std::string path = firstInstalled(valueIn(folder + "mimeinfo.cache", "MIME Cache", mimeType));
            !path.empty())
            return path;
    for (const std::string& folder : applicationFolders())
        for (const std::string& name : FileAttributes::entries(folder))
            if (name.size() > 8 && name.ends_with(".desktop") && listsType(folder + name, mimeType))
                return folder + name;
    return {};
}

} // namespace mvx
