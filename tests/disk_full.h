#pragma once
// A full disk for the tests: while a DiskFull lives, no file of this process may grow past
// a given size (a few bytes unless told); past it a write fails as it does with no space
// left.

#include <csignal>
#include <sys/resource.h>

class DiskFull
{
public:
    explicit DiskFull(rlim_t bytes = 8)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit tight = m_saved;
        tight.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    DiskFull(const DiskFull &) = delete;
    DiskFull &operator=(const DiskFull &) = delete;

private:
    rlimit m_saved{};
};
