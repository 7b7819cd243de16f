// Where the settings file lives. An installed copy (one whose prefix holds the program's
// desktop entry) keeps it in the user's configuration folder. Any other copy keeps it
// beside the executable, named like it with ".ini", as long as that file exists or its
// folder can be written; otherwise in the user's configuration folder.
#pragma once

#include <functional>
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

/// Where the settings of one copy of the program live.
struct TSettingsFiles {
    /// The file read at start and written at exit.
    std::string Path;
    /// A file an earlier version left beside an installed program: read instead of Path
    /// while Path does not exist yet, never written. Empty for every other copy.
    std::string Earlier;
    /// The file to read: Path, or Earlier while Path is missing and Earlier exists.
    std::string ReadPath() const;
};

/// The process's view of its surroundings that the choice depends on.
struct TSettingsEnvironment {
    const char* XdgConfigHome = nullptr; ///< null for unset
    const char* Home = nullptr;          ///< null for unset
    /// Whether this process may create files in `folder`.
    std::function<bool(const std::string& folder)> FolderWritable;
    /// XDG_CONFIG_HOME, HOME (falling back to the account's home folder) and access(2).
    static TSettingsEnvironment OfThisProcess();
};

/// The desktop entry an installed copy finds in its prefix, relative to its folder.
inline constexpr std::string_view InstalledEntry =
    "../share/applications/io.github.ombrix.Ombrix.desktop";

/// Whether the executable at `executablePath` is an installed copy: its prefix holds the
/// program's desktop entry (InstalledEntry beside it), as the package and `cmake --install`
/// put it.
bool IsInstalledCopy(std::string_view executablePath);

/// The settings files for the executable at `executablePath`. An installed copy keeps
/// them in ConfigSettingsPath whoever runs it (root included), with SettingsPathFor(path)
/// as Earlier. Every other copy uses SettingsPathFor(path) when that file exists (as
/// whatever kind of file) or its folder may be written; otherwise ConfigSettingsPath.
/// Either falls back to SettingsPathFor(path) when the environment gives no
/// configuration folder. Creates nothing.
TSettingsFiles ChooseSettingsFiles(std::string_view executablePath,
                                   const TSettingsEnvironment& environment);

/// ChooseSettingsFiles for this process's environment, as the window reads it: the file
/// to read at start (see TSettingsFiles::ReadPath) is found there too.
TSettingsFiles ChooseSettingsFiles(std::string_view executablePath);

/// The file the window would read its settings from, for programs that read them
/// without writing (ombrix-render, ombrix-live).
std::string ChooseSettingsPath(std::string_view executablePath);

/// Creates the folder that holds the settings file `path`, with its parents, where it
/// is missing. Failures are left to the write that follows, which names the file.
void MakeSettingsFolder(const std::string& path);

} // namespace ombrix
