#include "WholeFile.h"

#include <cerrno>
#include <cstdint>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

std::error_code ErrorCode(int code) {
    return {code, std::system_category()};
}

std::error_code ReadAll(int fd, std::size_t expected, std::string& bytes) {
    bytes.resize(expected);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            // The file may have grown since fstat: look for more in steps.
            if (bytes.size() >= MaxWholeFileSize)
                return ErrorCode(EFBIG);
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ErrorCode(errno);
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    if (filled > MaxWholeFileSize)
        return ErrorCode(EFBIG);
    return {};
}

} // namespace

TWholeFile ReadWholeFile(const std::string& path) {
    TWholeFile file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) // a path through a file names nothing
            file.Error = ErrorCode(errno);
        return file;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        file.Error = ErrorCode(errno);
    else if (!S_ISREG(status.st_mode))
        file.Error = ErrorCode(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    else if (static_cast<std::uint64_t>(status.st_size) > MaxWholeFileSize)
        file.Error = ErrorCode(EFBIG);
    else {
        try {
            file.Error = ReadAll(fd, static_cast<std::size_t>(status.st_size), file.Bytes);
        } catch (const std::bad_alloc&) {
            file.Error = ErrorCode(ENOMEM);
        }
        if (file.Error)
            std::string().swap(file.Bytes);
        file.Exists = !file.Error;
    }
    ::close(fd);
    return file;
}

} // namespace ombrix
