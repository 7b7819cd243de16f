#include "Files.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace ombrix::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ombrix-test-XXXXXX");
    if (!mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    Path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // A test may have taken the write right away from the folder or one below it.
    for (auto it = std::filesystem::recursive_directory_iterator(Path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(Path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(Path_, ignored);
}

std::set<std::string> TempDir::Names() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path_))
        names.insert(entry.path().filename().string());
    return names;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    if (getrlimit(RLIMIT_FSIZE, &Old_) != 0)
        throw std::system_error(errno, std::generic_category(), "getrlimit");
    rlimit limit = Old_;
    limit.rlim_cur = bytes;
    OldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::signal(SIGXFSZ, OldHandler_);
        throw std::system_error(errno, std::generic_category(), "setrlimit");
    }
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Old_);
    std::signal(SIGXFSZ, OldHandler_);
}

} // namespace ombrix::testing
