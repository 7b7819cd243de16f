// Files for tests: a fresh folder per test, whole-file reads and writes, and a file size
// limit that makes writes fail even for root. Failures to set these up throw, so the
// helpers serve GoogleTest and QtTest programs alike.
#pragma once

#include <filesystem>
#include <set>
#include <string>

#include <sys/resource.h>

namespace ombrix::testing {

/// A new empty folder below the system's temporary folder, removed with everything in it
/// (even entries whose rights were taken away) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    /// The path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return (Path_ / name).string(); }
    const std::filesystem::path& Path() const { return Path_; }

    /// The names of the entries in the folder (not below it).
    std::set<std::string> Names() const;

private:
    std::filesystem::path Path_;
};

/// The whole file as bytes; empty if it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

/// Creates or truncates `path` and writes `bytes`; throws if that fails.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

/// While alive, no file may grow beyond `bytes`: a longer write fails with EFBIG instead
/// of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit Old_{};
    void (*OldHandler_)(int) = nullptr;
};

} // namespace ombrix::testing
