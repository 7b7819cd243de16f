// Helpers of the settings tests: a fresh folder per test, whole-file reads and writes,
// the random source's state after a number of draws, and a file size limit that makes
// writes fail even for root.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <sys/resource.h>

namespace ombrix::testing {

/// A new empty folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-settings-XXXXXX");
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "mkdtemp failed";
        Path_ = pattern;
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(Path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return (Path_ / name).string(); }
    const std::filesystem::path& Path() const { return Path_; }

    /// The names of the files in the folder.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Path_))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path Path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// RandSeed after n draws from 0: seed = seed * 134775813 + 1 modulo 2^32 per draw.
inline std::uint32_t SeedAfter(int n) {
    std::uint32_t seed = 0;
    for (int i = 0; i < n; ++i)
        seed = seed * 134775813u + 1u;
    return seed;
}

/// While alive, no file may grow beyond `bytes`: a longer write fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        OldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &Old_);
        rlimit limit = Old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &Old_);
        std::signal(SIGXFSZ, OldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit Old_{};
    void (*OldHandler_)(int) = SIG_DFL;
};

} // namespace ombrix::testing
