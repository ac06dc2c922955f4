#pragma once

#include <csignal>
#include <cstdint>
#include <sys/resource.h>

// Runs body while no file may grow past limit bytes, as on a full disk:
// writes beyond it fail (EFBIG) instead of raising SIGXFSZ.
template <typename Body>
void withFileSizeLimit(uint64_t limit, Body body)
{
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    body();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
}
