#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace mvx {

// The system's process list, as the names in /proc/*/comm.
class ProcessList {
public:
    static std::vector<std::string> names();
    // Whether a process of this program runs: its executable's file name is
    // compared without regard to case (the kernel keeps the first 15 bytes).
    static bool isRunning(const std::string& program);
    // Whether the process may still run: false only when the system says no
    // such process exists (one of another user counts as running).
    static bool isAlive(pid_t pid);
};

} // namespace mvx
