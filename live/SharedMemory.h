// Memory the program shares with a display server: a memory file mapped here, whose
// descriptor goes to the server. Used by the X11 and the Wayland adapters alike, so it
// stands beside the seam both include, and needs no library.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>

namespace ombrix {

struct TSharedMemory {
    int Fd = -1; ///< -1: none could be had
    void* Pixels = nullptr;
};

/// `bytes` of memory in a new memory file, mapped for reading and writing. The caller hands
/// Fd to the server (or closes it) and unmaps Pixels when done.
inline TSharedMemory MakeSharedMemory(std::size_t bytes) {
    const int fd = memfd_create("ombrix-live", MFD_CLOEXEC);
    if (fd < 0)
        return {};
    void* pixels = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return {};
    }
    return {fd, pixels};
}

} // namespace ombrix
