#pragma once

#include <string>
#include <vector>

namespace mvx {

// The window program's command line: a switch from the file manager's
// entries, /Install or /Uninstall, or a single path.
struct CommandLine {
    enum class Switch { None, Encrypt, Decrypt, Forward, History, Delete, Repair, Install, Uninstall, Path };

    Switch kind = Switch::None;
    // The paths given after the switch (or the single path); empty for a
    // switch means they come from the clipboard.
    std::vector<std::string> paths;
    size_t argumentCount = 0;

    // arguments: without the program name.
    static CommandLine parse(const std::vector<std::string>& arguments);

    // A request a second instance serves itself before it ends.
    bool isShellRequest() const;
    // The switch works on files (all but -R, /Install, /Uninstall).
    bool takesFiles() const;
};

} // namespace mvx
