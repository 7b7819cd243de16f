#include "SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

std::error_code LastError() {
    return {errno, std::system_category()};
}

// The folder a file named `path` lands in, as mkstemp wants it.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Writes all `size` bytes, taking partial writes as they come; a write that makes no
// progress counts as a full disk.
std::error_code WriteAll(const TFileCalls& calls, int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = calls.Write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return LastError();
        if (written == 0)
            return std::make_error_code(std::errc::no_space_on_device);
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

// The new file while it is being written: closed and removed unless it was put in place.
class TTempFile {
public:
    TTempFile(int fd, std::string name) : FFd(fd), FName(std::move(name)) {}
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() {
        if (FFd >= 0)
            ::close(FFd);
        if (!FInPlace)
            ::unlink(FName.c_str());
    }
    int Fd() const { return FFd; }
    const std::string& Name() const { return FName; }
    bool Close() {
        const int fd = FFd;
        FFd = -1;
        return ::close(fd) == 0;
    }
    void InPlace() { FInPlace = true; }

private:
    int FFd;
    std::string FName;
    bool FInPlace = false;
};

TReplaceFailure Failed(TReplaceStage stage, std::error_code error = LastError()) {
    return {stage, error};
}

} // namespace

TFileCalls SystemFileCalls() {
    return {[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
            [](int fd) { return ::fsync(fd); }};
}

std::string ReplacementTarget(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
        if (!error)
            return target.string();
    }
    return path;
}

mode_t CurrentUmask() {
    // The status file tells the mask without changing it; umask() is the fallback.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

std::optional<TReplaceFailure> ReplaceFile(const std::string& path,
                                           std::initializer_list<std::string_view> parts,
                                           const TFileCalls& calls) {
    if (path.empty() || path.back() == '/')
        return Failed(TReplaceStage::Create, std::make_error_code(std::errc::is_a_directory));
    const std::string target = ReplacementTarget(path);

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing) {
        if (!S_ISREG(old.st_mode))
            return Failed(TReplaceStage::Create,
                          std::make_error_code(S_ISDIR(old.st_mode) ? std::errc::is_a_directory
                                                                    : std::errc::invalid_argument));
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return Failed(TReplaceStage::Create);
    }

    const std::string folder = FolderOf(target);
    std::string tempName = folder + (folder.back() == '/' ? "" : "/") + ".ombrix-XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        return Failed(TReplaceStage::Create);
    TTempFile temp(fd, tempName);

    // mkostemp gives 0600; give the file the bits it would have had if written by name.
    mode_t mode = 0666 & ~CurrentUmask();
    if (replacing) {
        mode = old.st_mode & 07777;
        // Usually only root may hand the file to another owner; when that is refused
        // the file becomes ours, as it would if it had been created by name.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int refused = ::fchown(temp.Fd(), old.st_uid, old.st_gid);
        }
    }
    if (::fchmod(temp.Fd(), mode) != 0)
        return Failed(TReplaceStage::Create);

    for (std::string_view part : parts)
        if (const std::error_code error = WriteAll(calls, temp.Fd(), part.data(), part.size()))
            return Failed(TReplaceStage::Write, error);
    if (calls.Sync(temp.Fd()) != 0)
        return Failed(TReplaceStage::Write);
    if (!temp.Close())
        return Failed(TReplaceStage::Write);

    if (::rename(temp.Name().c_str(), target.c_str()) != 0)
        return Failed(TReplaceStage::Create);
    temp.InPlace();

    // Make the new name itself last; the file is complete either way.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return std::nullopt;
}

} // namespace ombrix
