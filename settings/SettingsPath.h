// Where the settings file lives: beside the executable, named like it with ".ini".
#pragma once

#include <string>
#include <string_view>

namespace ombrix {

/// The executable's path with its extension replaced by ".ini". The path is scanned from
/// left to right noting the position of every "."; a "\", ":" or "/" clears the noted
/// position. With a noted position the text before that "." is kept, else the whole
/// path; ".ini" follows. So /opt/x/ombrix.bin gives /opt/x/ombrix.ini and
/// /opt/app.d/ombrix gives /opt/app.d/ombrix.ini. Bytes of multi-byte UTF-8 characters
/// are never ASCII, so no character is stepped over specially.
std::string SettingsPathFor(std::string_view executablePath);

/// The running executable's full path, from /proc/self/exe, or from the process's memory
/// map where the path is too long for the link (over 4095 bytes). When the file has been
/// replaced or removed since the start (an upgrade while running), the kernel's
/// " (deleted)" mark is dropped so the settings still go beside the program's name.
/// Throws std::filesystem::filesystem_error when the link cannot be read.
std::string ExecutablePath();

} // namespace ombrix
