#include "app/ContextMenuEntries.h"

#include "app/CIniFile.h"
#include "platform/FileIo.h"

#include <cstdlib>
#include <filesystem>

namespace mvx {

namespace {

struct Operation {
    const char* flag;
    const char* name;
    const char* japanese;
    const char* id;
};

constexpr Operation kOperations[] = {
    {"-E", "Encrypt", "暗号化", "MorvanexEncrypt"},   {"-D", "Decrypt", "復号化", "MorvanexDecrypt"},
    {"-T", "Forward", "転送", "MorvanexForward"},      {"-H", "History", "履歴", "MorvanexHistory"},
    {"-K", "Secure Deletion", "完全削除", "MorvanexDelete"},
};

constexpr const char* kIniName = "Registry.ini";
constexpr const char* kSection = "Brellwick\\KLX-P2P";

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

ContextMenuEntries::ContextMenuEntries(std::string dataHome, std::string program)
    : dataHome_(withSlash(std::move(dataHome))), program_(std::move(program))
{
}

std::string ContextMenuEntries::defaultDataHome()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return data;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::vector<ContextMenuEntries::Entry> ContextMenuEntries::entries() const
{
    std::vector<Entry> made;
    for (const Operation& operation : kOperations)
        made.push_back({dataHome_ + "nautilus/scripts/Morvanex/" + operation.name,
                        "#!/bin/sh\n# Morvanex: " + std::string(operation.name) + "\nexec " + program_ + " " +
                            operation.flag + " \"$@\"\n"});
    std::string menu = "[Desktop Entry]\nType=Service\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\nMimeType=all/all;\n"
                       "X-KDE-Submenu=Morvanex\nIcon=morvanex\nActions=";
    for (const Operation& operation : kOperations)
        menu += std::string(operation.id) + ";";
    menu += "\n";
    for (const Operation& operation : kOperations)
        menu += "\n[Desktop Action " + std::string(operation.id) + "]\nName=" + operation.name + "\nName[ja]=" +
                operation.japanese + "\nIcon=morvanex\nExec=" + program_ + " " + operation.flag + " %F\n";
    made.push_back({dataHome_ + "kio/servicemenus/morvanex.desktop", menu});
    return made;
}

std::vector<std::string> ContextMenuEntries::files() const
{
    std::vector<std::string> paths;
    for (const Entry& entry : entries())
        paths.push_back(entry.path);
    return paths;
}

bool ContextMenuEntries::install() const
{
    bool all = true;
    for (const Entry& entry : entries()) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(entry.path).parent_path(), error);
        // Both file managers run only entries that may be executed.
        all = writeWholeFile(entry.path, entry.content.data(), entry.content.size(), 0755) && all;
    }
    return all;
}

bool ContextMenuEntries::remove() const
{
    bool none = true;
    for (const Entry& entry : entries()) {
        std::error_code error;
        std::filesystem::remove(entry.path, error);
        none = !std::filesystem::exists(entry.path, error) && none;
    }
    std::error_code error;
    std::filesystem::remove(dataHome_ + "nautilus/scripts/Morvanex", error);  // only when empty
    return none;
}

bool ContextMenuEntries::installed() const
{
    for (const Entry& entry : entries())
        if (!std::filesystem::exists(entry.path))
            return false;
    return true;
}

ExtensionValue::ExtensionValue(const std::string& programFolder) : path_(withSlash(programFolder) + kIniName) {}

int ExtensionValue::get() const
{
    CIniFile ini;
    ini.load(path_);
    return ini.getInt(kSection, "Extension", 0);
}

bool ExtensionValue::set(int value) const
{
    CIniFile ini;
    ini.load(path_);
    ini.setInt(kSection, "Extension", value);
    return ini.save(path_);
}

} // namespace mvx
