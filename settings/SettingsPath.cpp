#include "SettingsPath.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace ombrix {

std::string SettingsPathFor(std::string_view executablePath) {
    std::optional<std::size_t> dot;
    for (std::size_t i = 0; i < executablePath.size(); ++i) {
        const char ch = executablePath[i];
        if (ch == '.')
            dot = i;
        else if (ch == '\\' || ch == ':' || ch == '/')
            dot.reset();
    }
    std::string path(executablePath.substr(0, dot.value_or(executablePath.size())));
    path += ".ini";
    return path;
}

std::string ExecutablePath() {
    std::string path = std::filesystem::read_symlink("/proc/self/exe").string();
    constexpr std::string_view deletedMark = " (deleted)";
    if (path.ends_with(deletedMark)) {
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            path.resize(path.size() - deletedMark.size());
    }
    return path;
}

namespace {

bool IsAbsoluteFolder(const char* text) {
    return text != nullptr && text[0] == '/';
}

/// HOME, or the account's home folder when HOME is unset or empty.
const char* HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    const passwd* account = getpwuid(getuid());
    return account != nullptr ? account->pw_dir : nullptr;
}

} // namespace

std::string ConfigSettingsPath(const char* xdgConfigHome, const char* home) {
    std::filesystem::path folder;
    if (IsAbsoluteFolder(xdgConfigHome))
        folder = xdgConfigHome;
    else if (IsAbsoluteFolder(home))
        folder = std::filesystem::path(home) / ".config";
    else
        return {};
    return (folder / "ombrix" / "ombrix.ini").string();
}

std::string ChooseSettingsPath(std::string_view executablePath) {
    std::string beside = SettingsPathFor(executablePath);
    std::error_code error;
    const auto type = std::filesystem::symlink_status(beside, error).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none)
        return beside;
    const std::filesystem::path folder = std::filesystem::path(beside).parent_path();
    if (access(folder.empty() ? "." : folder.c_str(), W_OK) == 0)
        return beside;
    std::string config = ConfigSettingsPath(std::getenv("XDG_CONFIG_HOME"), HomeFolder());
    return config.empty() ? beside : config;
}

void MakeSettingsFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
}

} // namespace ombrix
