#include "SettingsPath.h"

#include <filesystem>
#include <optional>

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

} // namespace ombrix
