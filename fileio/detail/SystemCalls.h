// The few system calls of the file library whose failures a real disk seldom shows.
// The library makes them only through this table; a test may point its entries at
// functions of its own and must put the system's back (TSystemCallsSwap does both).
// Nothing outside the library and its tests includes this header.
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace ombrix::detail {

struct TSystemCalls {
    /// write(2).
    ssize_t (*Write)(int fd, const void* data, std::size_t size);
    /// fsync(2).
    int (*Sync)(int fd);
    /// open(2) of an unnamed file in `folder` (O_TMPFILE), write-only, with `mode`.
    int (*OpenUnnamed)(const char* folder, mode_t mode);
};

/// The calls in use; the system's own unless a test has replaced them.
TSystemCalls& SystemCalls();

/// The system's own calls.
TSystemCalls RealSystemCalls();

/// While alive, the table holds the given calls; the system's come back afterwards.
class TSystemCallsSwap {
public:
    explicit TSystemCallsSwap(const TSystemCalls& calls) { SystemCalls() = calls; }
    ~TSystemCallsSwap() { SystemCalls() = RealSystemCalls(); }
    TSystemCallsSwap(const TSystemCallsSwap&) = delete;
    TSystemCallsSwap& operator=(const TSystemCallsSwap&) = delete;
};

} // namespace ombrix::detail
