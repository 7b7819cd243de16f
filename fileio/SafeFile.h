// Replacing a file so that its name shows either the old contents or the whole new
// ones, never a part: the picture export and the settings file both write this way.
//
// The bytes go to a new file in the target's folder, which is flushed to disk and only
// then given the target's name. Where the file system allows it the new file has no
// name at all while it is written (O_TMPFILE), so a crash or a kill leaves nothing
// behind; elsewhere it is a hidden ".ombrix-..." file beside the target, named for the
// target, the writing process and a random number, so that any number of writers of
// one file each replace it whole. On any failure the new file is removed and an
// existing target is left as it was; one that a killed writer left behind is removed by
// the next replacement of the same file.
//
// Two targets cannot be replaced that way and are written in place instead, the whole
// new content being ready in memory first: a file in a folder the process may not
// write (the rename needs the folder), and a file with more than one hard link (a
// rename would split the links). A failure then may leave the target cut short; it is
// reported like any other.
//
// A write beyond the process's file size limit fails with EFBIG: the first replacement
// sets SIGXFSZ to be ignored, which would otherwise end the process.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ombrix {

/// The file that writing to `path` replaces: for a symbolic link, the file its chain of
/// links ends at, whether or not that file exists yet (so the link stays a link); else
/// `path` itself. A chain that loops or runs too deep, or that passes a link that may not
/// be followed (see ReplaceFile), gives `path`.
std::string ReplacementTarget(const std::string& path);

/// The process's file mode creation mask, read without changing it.
mode_t CurrentUmask();

/// Replaces the file `path` (through ReplacementTarget) with `parts`, written one after
/// another. A new file gets the permission bits 0666 less the umask; a replaced file
/// keeps its bits and, where allowed, its owner. An existing target that this process
/// may not write, or that is no regular file, is refused, as a write by name would be;
/// so is a chain of links that loops (ELOOP). A link in a sticky, world-writable folder
/// (/tmp) is followed only when it belongs to the folder's owner or to this process's
/// user, as the kernel's protected_symlinks rule has it; another's link fails the write
/// with EACCES, the link being the failure's subject.
///
/// Throws TError (Error.h) with the system's reason: TFailure::CreateFile when the new file
/// cannot be made or put in place, TFailure::WriteFile when it cannot be filled (a full
/// disk, a size limit) or flushed. Its subject is the file the write went to
/// (ReplacementTarget), or the link that may not be followed.
void ReplaceFile(const std::string& path, std::initializer_list<std::string_view> parts);

} // namespace ombrix
