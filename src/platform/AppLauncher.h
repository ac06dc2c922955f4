#pragma once

#include "platform/FileStamp.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Opens a file with the program associated with its type and waits for that
// program to end.
class IAppLauncher {
public:
    struct Program {
        std::vector<std::string> command;  // "%f" stands for the file
        std::string processName;           // the executable's file name
    };

    virtual ~IAppLauncher() = default;
    // nullopt when no program is associated with the file's type.
    virtual std::optional<Program> programFor(const std::string& file) = 0;
    // Whether a process of the program runs already.
    virtual bool isRunning(const Program& program) = 0;
    // Starts the program with the file and waits until it has ended; false
    // when it could not be started.
    virtual bool runAndWait(const Program& program, const std::string& file) = 0;
};

// The desktop's association: the default application of the file's MIME
// type (DesktopAssociations, in-process), its .desktop file's Exec line,
// started directly. The program found for a type is kept while the user's
// mimeapps.list stays unchanged. The environment variable MORVANEX_OPENER
// names a program to use instead.
class DesktopLauncher : public IAppLauncher {
public:
    std::optional<Program> programFor(const std::string& file) override;
    bool isRunning(const Program& program) override;
    bool runAndWait(const Program& program, const std::string& file) override;

    // The command of a .desktop file's Exec value: quoting undone, the file
    // codes (%f %F %u %U) as "%f", other codes dropped; "%f" appended when
    // the line has no file code.
    static std::vector<std::string> commandOfExec(const std::string& exec);
    // Runs a command and returns its standard output; nullopt when it fails.
    static std::optional<std::string> outputOf(const std::vector<std::string>& command);

private:
    std::optional<Program> programOfType(const std::string& mimeType);

    std::map<std::string, std::optional<Program>> programs_;  // by MIME type
    std::optional<FileStamp> userListStamp_;
};

} // namespace mvx
