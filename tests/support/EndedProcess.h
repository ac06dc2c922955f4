#pragma once

#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// The id of a process that ran and has ended (reaped), as a killed run of the
// program leaves behind.
inline pid_t endedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

// The hidden temporary name a process gives a new output beside name.
inline std::string temporaryNameOf(const std::string& name, pid_t owner, int serial = 0)
{
    return ".~" + name + "." + std::to_string(owner) + "-" + std::to_string(serial);
}
