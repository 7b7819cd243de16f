#include "SettingsPath.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <sys/sysmacros.h>
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

namespace {

constexpr const char* SelfExe = "/proc/self/exe";

// The link's text, read with a buffer that grows until the text fits; nothing when the
// kernel cannot give it (it gives no path longer than a page through the link).
std::optional<std::string> ReadSelfLink() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(SelfExe, buffer.data(), buffer.size());
        if (n < 0)
            return std::nullopt;
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

// The executable's path as the process's memory map names it, which has no length limit:
// the mapping of the file with the executable's device and inode.
std::optional<std::string> PathFromMemoryMap() {
    struct stat exe {};
    if (::stat(SelfExe, &exe) != 0)
        return std::nullopt;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        // address perms offset major:minor inode path
        std::istringstream fields(line);
        std::string address, perms, offset, device;
        std::uint64_t inode = 0;
        if (!(fields >> address >> perms >> offset >> device >> inode) || inode != exe.st_ino)
            continue;
        unsigned major = 0, minor = 0;
        if (std::sscanf(device.c_str(), "%x:%x", &major, &minor) != 2 ||
            makedev(major, minor) != exe.st_dev)
            continue;
        const std::size_t slash = line.find('/');
        if (slash != std::string::npos)
            return line.substr(slash);
    }
    return std::nullopt;
}

} // namespace

std::string ExecutablePath() {
    std::optional<std::string> link = ReadSelfLink();
    if (!link)
        link = PathFromMemoryMap();
    if (!link)
        throw std::filesystem::filesystem_error("cannot read the executable's path", SelfExe,
                                                std::error_code(errno, std::system_category()));
    std::string path = *std::move(link);
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

std::string TSettingsFiles::ReadPath() const {
    std::error_code error;
    if (Earlier.empty() || std::filesystem::exists(Path, error) ||
        !std::filesystem::exists(Earlier, error))
        return Path;
    return Earlier;
}

TSettingsEnvironment TSettingsEnvironment::OfThisProcess() {
    TSettingsEnvironment environment;
    environment.XdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    environment.Home = HomeFolder();
    environment.FolderWritable = [](const std::string& folder) {
        return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    };
    return environment;
}

bool IsInstalledCopy(std::string_view executablePath) {
    const std::filesystem::path folder = std::filesystem::path(executablePath).parent_path();
    std::error_code error;
    return std::filesystem::is_regular_file(folder / InstalledEntry, error);
}

TSettingsFiles ChooseSettingsFiles(std::string_view executablePath,
                                   const TSettingsEnvironment& environment) {
    std::string beside = SettingsPathFor(executablePath);
    std::string config = ConfigSettingsPath(environment.XdgConfigHome, environment.Home);
    if (IsInstalledCopy(executablePath)) {
        if (config.empty())
            return {std::move(beside), {}};
        return {std::move(config), std::move(beside)};
    }
    std::error_code error;
    const auto type = std::filesystem::symlink_status(beside, error).type();
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none)
        return {std::move(beside), {}};
    if (environment.FolderWritable(std::filesystem::path(beside).parent_path().string()))
        return {std::move(beside), {}};
    return {config.empty() ? std::move(beside) : std::move(config), {}};
}

TSettingsFiles ChooseSettingsFiles(std::string_view executablePath) {
    return ChooseSettingsFiles(executablePath, TSettingsEnvironment::OfThisProcess());
}

std::string ChooseSettingsPath(std::string_view executablePath) {
    return ChooseSettingsFiles(executablePath).ReadPath();
}

void MakeSettingsFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
}

} // namespace ombrix
