#pragma once

#include <string>
#include <vector>

namespace mvx {

// One user's file-manager entries that call the program's switches: Nautilus
// scripts in a "Morvanex" submenu and a Dolphin service menu. "/Install" and
// the first start put them in place; "/Uninstall" and "NoUseContextMenu"
// take them away. Files of other programs are never touched.
class ContextMenuEntries {
public:
    // dataHome: the user's data folder ($XDG_DATA_HOME, default ~/.local/share).
    explicit ContextMenuEntries(std::string dataHome, std::string program = "morvanex");

    static std::string defaultDataHome();

    bool install() const;
    // True when none of the entries is left.
    bool remove() const;
    bool installed() const;
    // Every file the entries consist of.
    std::vector<std::string> files() const;

private:
    struct Entry {
        std::string path;
        std::string content;
    };
    std::vector<Entry> entries() const;

    std::string dataHome_;
    std::string program_;
};

// The value "Extension" (1 once the per-user entries were put in place at a
// first start), kept in a small INI file in the program folder.
class ExtensionValue {
public:
    explicit ExtensionValue(const std::string& programFolder);
    int get() const;
    bool set(int value) const;

private:
    std::string path_;
};

} // namespace mvx
