#pragma once

#include <string>

namespace mvx {

// The private 0700 folders that hold the plain text of a container opened in
// place, under $TMPDIR (or /tmp) as "mvx-open-PID-XXXXXX". Each folder made is
// remembered until destroyed, so a signal handler thread can destroy what is
// open when the process is interrupted; folders left by a process that no
// longer runs (killed, power cut) are swept at the next start.
class PlainTempFolders {
public:
    // Makes a folder; returns its path with a trailing "/", empty on failure.
    static std::string create();
    // Destroys the files in the folder (secure deletion) and the folder.
    static void destroy(const std::string& folder);
    // Destroys every folder this process made and has not destroyed yet.
    static void destroyAll();
    // Destroys the folders of this user whose process has ended; returns how many.
    static int sweepLeftovers();

    static constexpr const char* kPrefix = "mvx-open-";

private:
    static std::string parentFolder();
};

} // namespace mvx
