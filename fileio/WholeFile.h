// Reading a file whole into memory, for files the program reads in one piece (the
// settings file). Never throws: every failure comes back as an error code.
#pragma once

#include <cstddef>
#include <string>
#include <system_error>

namespace ombrix {

/// The most bytes ReadWholeFile takes: a larger file cannot be a file the program wrote.
inline constexpr std::size_t MaxWholeFileSize = std::size_t{1} << 30;

struct TWholeFile {
    bool Exists = false;   ///< the file was there and was read whole
    std::string Bytes;     ///< its bytes, when it was read
    std::error_code Error; ///< why it could not be read; empty for a missing file
};

/// The bytes of the regular file `path`. A missing file gives neither bytes nor error,
/// as does a path through a file (which names nothing, as for a missing folder).
/// A folder gives EISDIR, any other kind of file EINVAL (a FIFO does not stall the open),
/// a file over MaxWholeFileSize EFBIG, memory that cannot be had ENOMEM.
TWholeFile ReadWholeFile(const std::string& path);

} // namespace ombrix
