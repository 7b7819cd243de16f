// Where the settings file lives: beside the executable, named like it with ".ini", as
// long as that file exists or its folder can be written; otherwise (a copy installed in
// a folder the user cannot write) in the user's configuration folder.
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

/// The settings file in the user's configuration folder, following the XDG base
/// directory rule: `xdgConfigHome`/ombrix/ombrix.ini when it is an absolute path, else
/// `home`/.config/ombrix/ombrix.ini (an unset, empty or relative XDG_CONFIG_HOME is
/// ignored). Null pointers stand for unset variables. Returns an empty string when
/// neither gives an absolute folder.
std::string ConfigSettingsPath(const char* xdgConfigHome, const char* home);

/// The settings file for the executable at `executablePath`: SettingsPathFor(path)
/// when that file exists (as whatever kind of file) or its folder may be written by this
/// process; otherwise ConfigSettingsPath from XDG_CONFIG_HOME and HOME (HOME falling
/// back to the account's home folder), or SettingsPathFor(path) if that gives nothing.
/// Creates nothing.
std::string ChooseSettingsPath(std::string_view executablePath);

/// Creates the folder that holds the settings file `path`, with its parents, where it
/// is missing. Failures are left to the write that follows, which names the file.
void MakeSettingsFolder(const std::string& path);

} // namespace ombrix
