#include "SafeFile.h"

#include "Error.h"
#include "detail/SystemCalls.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace ombrix {

namespace detail {

TSystemCalls RealSystemCalls() {
    return {[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
            [](int fd) { return ::fsync(fd); },
            [](const char* folder, mode_t mode) {
                return ::open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
            }};
}

TSystemCalls& SystemCalls() {
    static TSystemCalls calls = RealSystemCalls();
    return calls;
}

} // namespace detail

namespace {

using Parts = std::initializer_list<std::string_view>;

// Where a replacement failed: making or placing the new file, or filling it.
enum class TReplaceStage { Create, Write };

struct TReplaceFailure {
    TReplaceStage Stage;
    std::error_code Error;
    std::string Subject{}; // the file that failed, or the link that may not be followed
};

std::error_code LastError() {
    return {errno, std::system_category()};
}

std::error_code ErrorCode(int code) {
    return {code, std::system_category()};
}

TReplaceFailure Failed(TReplaceStage stage, std::error_code error = LastError()) {
    return {stage, error};
}

// The folder a file named `path` lands in.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder + (folder.back() == '/' ? "" : "/") + name;
}

// Whether a link in a sticky, world-writable folder (/tmp) may be followed: only when the
// link belongs to the folder's owner or to us. Anyone may put a link there, and a link
// planted by another user must not send our write to a file of ours elsewhere. This is
// the kernel's protected_symlinks rule, applied whether or not the system enables it,
// since the chain is followed here, name by name.
bool MayFollow(const std::string& link, const struct stat& linkStatus) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || linkStatus.st_uid == folder.st_uid || linkStatus.st_uid == ::geteuid();
}

// The end of a chain of links, or why it cannot be followed: the link that is not
// ours to follow (EACCES), or a chain that loops or cannot be read (ELOOP).
struct TResolved {
    std::string Target;
    std::error_code Error;
    std::string Link; // the link at fault
};

// The end of `path`'s chain of symbolic links, existing or not.
TResolved ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return {current, {}, {}};
        if (!MayFollow(current, status))
            return {{}, ErrorCode(EACCES), current};
        std::error_code error;
        const std::string link = std::filesystem::read_symlink(current, error).string();
        if (error || link.empty())
            return {{}, ErrorCode(ELOOP), current};
        const auto slash = current.find_last_of('/');
        if (link.front() == '/' || slash == std::string::npos)
            current = link;
        else
            current = current.substr(0, slash + 1) + link;
    }
    return {{}, ErrorCode(ELOOP), path};
}

// A write past RLIMIT_FSIZE raises SIGXFSZ, whose default ends the process; ignored,
// the write fails with EFBIG and is reported like a full disk. A handler the program
// installed itself is left alone.
void IgnoreFileSizeSignal() {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
        !(current.sa_flags & SA_SIGINFO))
        std::signal(SIGXFSZ, SIG_IGN);
}

// Writes every part whole, taking partial writes as they come; a write that makes no
// progress counts as a full disk.
std::error_code WriteParts(int fd, Parts parts) {
    for (std::string_view part : parts) {
        const char* data = part.data();
        std::size_t size = part.size();
        while (size > 0) {
            const ssize_t written = detail::SystemCalls().Write(fd, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return LastError();
            if (written == 0)
                return std::make_error_code(std::errc::no_space_on_device);
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    return {};
}

std::error_code WriteAndSync(int fd, Parts parts) {
    if (const std::error_code error = WriteParts(fd, parts))
        return error;
    if (detail::SystemCalls().Sync(fd) != 0)
        return LastError();
    return {};
}

void SyncFolder(const std::string& folder) {
    // Makes the new name itself last; the file is complete either way.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// An open descriptor, closed when it goes; Close reports a failure of close itself
// (a network file system may only then report a failed write).
class TDescriptor {
public:
    explicit TDescriptor(int fd) : Fd_(fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor() {
        if (Fd_ >= 0)
            ::close(Fd_);
    }
    int Fd() const { return Fd_; }
    bool Close() {
        const int fd = Fd_;
        Fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int Fd_;
};

// The new file's owner and permission bits: those of the file it replaces, else what a
// file created by name would get.
struct TNewFileMode {
    const struct stat* Old; // nothing for a new file
    mode_t Bits() const { return Old ? (Old->st_mode & 07777) : (0666 & ~CurrentUmask()); }
};

bool TakeMode(int fd, const TNewFileMode& mode) {
    // Usually only root may hand the file to another owner; when that is refused the
    // file becomes ours, as it would if it had been created by name.
    if (mode.Old && (mode.Old->st_uid != ::geteuid() || mode.Old->st_gid != ::getegid())) {
        [[maybe_unused]] const int refused = ::fchown(fd, mode.Old->st_uid, mode.Old->st_gid);
    }
    return ::fchmod(fd, mode.Bits()) == 0;
}

// New files on their way over a target are named ".ombrix-<hash of the target's name>-
// <pid>-<random>": unique to each writer, so writers of one file never meet, and telling
// which process made them. One whose process is gone was left by a crash or a kill, and
// the next replacement of the same file removes it.
std::string StagingPrefix(const std::string& target) {
    const auto slash = target.find_last_of('/');
    const std::string_view base = slash == std::string::npos
                                      ? std::string_view(target)
                                      : std::string_view(target).substr(slash + 1);
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (unsigned char ch : base)
        hash = (hash ^ ch) * 1099511628211ull;
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, ".ombrix-%016llx-", static_cast<unsigned long long>(hash));
    return prefix;
}

// A new staging name in `folder`; another try after EEXIST gives another name.
std::string StagingName(const std::string& folder, const std::string& prefix) {
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t random = 0;
    if (::getrandom(&random, sizeof random, GRND_NONBLOCK) != sizeof random)
        random =
            static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    char name[64];
    std::snprintf(name, sizeof name, "%ld-%08x%04x", static_cast<long>(::getpid()), random,
                  counter++ & 0xFFFFu);
    return InFolder(folder, prefix + name);
}

// Removes the staging files of `prefix` in `folder` whose process is gone: regular
// files of ours only, never another user's nor a live writer's.
void RemoveStaleStaging(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name + prefix.size(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat status {};
        if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == ::geteuid())
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

constexpr int StagingTries = 8;

// Writes into the target itself: the whole content is in `parts` already.
std::optional<TReplaceFailure> WriteInPlace(const std::string& target, Parts parts) {
    TDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    if (file.Fd() < 0)
        return Failed(TReplaceStage::Create);
    if (::ftruncate(file.Fd(), 0) != 0)
        return Failed(TReplaceStage::Write);
    if (const std::error_code error = WriteAndSync(file.Fd(), parts))
        return Failed(TReplaceStage::Write, error);
    if (!file.Close())
        return Failed(TReplaceStage::Write);
    return std::nullopt;
}

enum class TUnnamedResult { Done, Unsupported };

// Writes an unnamed file in the target's folder and then gives it the target's name.
// Unsupported when the file system has no unnamed files (nothing is touched then).
std::variant<TUnnamedResult, TReplaceFailure> ReplaceThroughUnnamedFile(const std::string& target,
                                                                        const std::string& folder,
                                                                        const TNewFileMode& mode,
                                                                        Parts parts) {
    if (::access("/proc/self/fd", X_OK) != 0)
        return TUnnamedResult::Unsupported;
    TDescriptor file(detail::SystemCalls().OpenUnnamed(folder.c_str(), mode.Bits()));
    if (file.Fd() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOSYS)
            return TUnnamedResult::Unsupported;
        return Failed(TReplaceStage::Create);
    }
    if (!TakeMode(file.Fd(), mode))
        return Failed(TReplaceStage::Create);
    if (const std::error_code error = WriteAndSync(file.Fd(), parts))
        return Failed(TReplaceStage::Write, error);

    const std::string self = "/proc/self/fd/" + std::to_string(file.Fd());
    if (!mode.Old) {
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return TUnnamedResult::Done;
        if (errno != EEXIST) // a file of that name came meanwhile: replace it below
            return Failed(TReplaceStage::Create);
    }
    const std::string prefix = StagingPrefix(target);
    std::string staging;
    for (int tries = 0;; ++tries) {
        staging = StagingName(folder, prefix);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staging.c_str(), AT_SYMLINK_FOLLOW) == 0)
            break;
        if (errno != EEXIST || tries + 1 == StagingTries)
            return Failed(TReplaceStage::Create);
    }
    if (::rename(staging.c_str(), target.c_str()) != 0) {
        const TReplaceFailure failure = Failed(TReplaceStage::Create);
        ::unlink(staging.c_str());
        return failure;
    }
    return TUnnamedResult::Done;
}

// Writes a hidden named file beside the target and renames it over the target.
std::optional<TReplaceFailure> ReplaceThroughNamedFile(const std::string& target,
                                                       const std::string& folder,
                                                       const TNewFileMode& mode, Parts parts) {
    const std::string prefix = StagingPrefix(target);
    std::string name;
    int fd = -1;
    for (int tries = 0; fd < 0; ++tries) {
        name = StagingName(folder, prefix);
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && (errno != EEXIST || tries + 1 == StagingTries))
            return Failed(TReplaceStage::Create);
    }
    TDescriptor file(fd);
    std::optional<TReplaceFailure> failure;
    if (!TakeMode(file.Fd(), mode))
        failure = Failed(TReplaceStage::Create);
    else if (const std::error_code error = WriteAndSync(file.Fd(), parts))
        failure = Failed(TReplaceStage::Write, error);
    else if (!file.Close())
        failure = Failed(TReplaceStage::Write);
    else if (::rename(name.c_str(), target.c_str()) != 0)
        failure = Failed(TReplaceStage::Create);
    if (failure)
        ::unlink(name.c_str());
    return failure;
}

} // namespace

std::string ReplacementTarget(const std::string& path) {
    TResolved resolved = ResolveLinks(path);
    return resolved.Error ? path : std::move(resolved.Target);
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

namespace {

std::optional<TReplaceFailure> Replace(const std::string& path, Parts parts) {
    if (path.empty() || path.back() == '/')
        return Failed(TReplaceStage::Create, std::make_error_code(std::errc::is_a_directory));
    const TResolved resolved = ResolveLinks(path);
    if (resolved.Error)
        return TReplaceFailure{TReplaceStage::Create, resolved.Error, resolved.Link};
    const std::string& target = resolved.Target;
    if (target.back() == '/')
        return Failed(TReplaceStage::Create, std::make_error_code(std::errc::is_a_directory));

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
    if (replacing &&
        (old.st_nlink > 1 || ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0))
        return WriteInPlace(target, parts);

    RemoveStaleStaging(folder, StagingPrefix(target));
    const TNewFileMode mode{replacing ? &old : nullptr};
    const auto unnamed = ReplaceThroughUnnamedFile(target, folder, mode, parts);
    if (const TReplaceFailure* failure = std::get_if<TReplaceFailure>(&unnamed))
        return *failure;
    if (std::get<TUnnamedResult>(unnamed) == TUnnamedResult::Unsupported)
        if (auto failure = ReplaceThroughNamedFile(target, folder, mode, parts))
            return failure;
    SyncFolder(folder);
    return std::nullopt;
}

} // namespace

void ReplaceFile(const std::string& path, Parts parts) {
    IgnoreFileSizeSignal();
    const std::optional<TReplaceFailure> failure = Replace(path, parts);
    if (!failure)
        return;
    throw TError(
        failure->Stage == TReplaceStage::Create ? TFailure::CreateFile : TFailure::WriteFile,
        failure->Subject.empty() ? ReplacementTarget(path) : failure->Subject, failure->Error);
}

} // namespace ombrix
