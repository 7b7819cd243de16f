// Replacing a file so that its name shows either the old contents or the whole new
// ones, never a part: the picture export and the settings file both write this way.
// The bytes go to a new file in the target's folder, which is flushed to disk and then
// renamed over the target in one step. On any failure the new file is removed and an
// existing target is left as it was.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <system_error>

namespace ombrix {

/// The calls made on the file being written, replaceable for tests of the failures a
/// real disk seldom shows. Both follow the system calls' conventions.
struct TFileCalls {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> Write;
    std::function<int(int fd)> Sync;
};

/// The system's write and fsync.
TFileCalls SystemFileCalls();

/// Where a replacement failed: making or placing the new file, or filling it.
enum class TReplaceStage { Create, Write };

struct TReplaceFailure {
    TReplaceStage Stage;
    std::error_code Error;
};

/// The file that writing to `path` replaces: a symbolic link's final target (so the
/// link stays a link), else `path` itself.
std::string ReplacementTarget(const std::string& path);

/// The process's file mode creation mask, read without changing it.
mode_t CurrentUmask();

/// Replaces the file `path` (through ReplacementTarget) with `parts`, written one after
/// another. A new file gets the permission bits 0666 less the umask; a replaced file
/// keeps its bits and, where allowed, its owner. An existing target that this process
/// may not write, or that is no regular file, is refused, as a write by name would be.
/// Returns nothing on success.
std::optional<TReplaceFailure> ReplaceFile(const std::string& path,
                                           std::initializer_list<std::string_view> parts,
                                           const TFileCalls& calls = SystemFileCalls());

} // namespace ombrix
