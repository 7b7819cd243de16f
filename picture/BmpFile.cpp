#include "BmpFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace ombrix {

namespace {

constexpr std::size_t InfoHeaderSize = 40;

// The largest file whose sizes still fit the header's 32-bit fields.
constexpr std::uint64_t MaxBmpFileSize = std::numeric_limits<std::uint32_t>::max();

std::uint64_t BmpFileSize(const TPixelImage& image) {
    return BmpHeadersSize +
           std::uint64_t{BmpRowSize(image.Width())} * static_cast<std::uint64_t>(image.Height());
}

bool HasBmpForm(const TPixelImage& image) {
    return !image.Empty() && BmpFileSize(image) <= MaxBmpFileSize;
}

void Put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

// The folder a new file named `path` lands in, as mkstemp wants it.
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

mode_t CurrentUmask() {
    // umask can only be read by setting it; the program has one thread, so nothing
    // creates a file in between.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes all `size` bytes, taking partial writes as they come; false when the file
// takes no more (an error, or no progress).
bool WriteAll(const detail::TFileCalls& calls, int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = calls.Write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The new file while it is being written: closed and removed unless it was put in
// place.
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

} // namespace

std::string CannotCreateMessage(const std::string& fileName) {
    return "ﾌｧｲﾙ " + fileName + " を作成できません";
}

std::size_t BmpRowSize(int width) {
    return (static_cast<std::size_t>(width) * 24 + 31) / 32 * 4;
}

std::vector<std::uint8_t> EncodeBmp(const TPixelImage& image) {
    if (image.Empty())
        throw std::invalid_argument("EncodeBmp: an empty image has no BMP form");
    if (!HasBmpForm(image))
        throw std::invalid_argument("EncodeBmp: the image is too large for a BMP file");
    const int w = image.Width(), h = image.Height();
    const std::size_t rowSize = BmpRowSize(w);
    const auto imageSize = static_cast<std::uint32_t>(rowSize * static_cast<std::size_t>(h));

    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(BmpHeadersSize + imageSize); // zeros: reserved fields and padding
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(OutOfResourcesMessage);
    }
    std::uint8_t* const file = bytes.data();
    // File header.
    file[0] = 'B';
    file[1] = 'M';
    Put32(file + 2, static_cast<std::uint32_t>(bytes.size()));
    Put32(file + 10, BmpHeadersSize);
    // Information header: no compression, no resolution, no colour table.
    std::uint8_t* const info = file + BmpFileHeaderSize;
    Put32(info + 0, InfoHeaderSize);
    Put32(info + 4, static_cast<std::uint32_t>(w));
    Put32(info + 8, static_cast<std::uint32_t>(h)); // positive: bottom-up
    Put16(info + 12, 1);
    Put16(info + 14, 24);
    Put32(info + 20, imageSize);
    // Pixel rows, the bottom one first.
    std::uint8_t* out = file + BmpHeadersSize;
    for (int y = h - 1; y >= 0; --y, out += rowSize) {
        const TColor* row = image.Row(y);
        std::uint8_t* p = out;
        for (int x = 0; x < w; ++x, p += 3) {
            const TColor c = row[x];
            p[0] = static_cast<std::uint8_t>(c >> 16);
            p[1] = static_cast<std::uint8_t>(c >> 8);
            p[2] = static_cast<std::uint8_t>(c);
        }
    }
    return bytes;
}

namespace detail {

TFileCalls SystemFileCalls() {
    return {[](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
            [](int fd) { return ::fsync(fd); }};
}

void SaveBmp(const std::string& path, const TPixelImage& image, const TFileCalls& calls) {
    if (path.empty() || !HasBmpForm(image))
        throw std::runtime_error(CannotCreateMessage(path));
    const std::vector<std::uint8_t> bytes = EncodeBmp(image);

    const std::string folder = FolderOf(path);
    std::string tempName = folder + (folder.back() == '/' ? "" : "/") + ".ombrix-XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error(CannotCreateMessage(path));
    TTempFile temp(fd, tempName);

    // mkostemp gives 0600; give the file the bits it would have had if opened by name.
    mode_t mode = 0666 & ~CurrentUmask();
    struct stat old;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
        // Usually only root may hand the file to another owner; when that is refused
        // the file stays ours, as it would if it had been created by name.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int refused = ::fchown(temp.Fd(), old.st_uid, old.st_gid);
        }
    }
    if (::fchmod(temp.Fd(), mode) != 0)
        throw std::runtime_error(CannotCreateMessage(path));

    if (!WriteAll(calls, temp.Fd(), bytes.data(), BmpFileHeaderSize) ||
        !WriteAll(calls, temp.Fd(), bytes.data() + BmpFileHeaderSize,
                  bytes.size() - BmpFileHeaderSize) ||
        calls.Sync(temp.Fd()) != 0 || !temp.Close())
        throw std::runtime_error(StreamWriteErrorMessage);

    if (::rename(temp.Name().c_str(), path.c_str()) != 0)
        throw std::runtime_error(CannotCreateMessage(path));
    temp.InPlace();

    // Make the new name itself last; the file is complete either way.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
}

} // namespace detail

void SaveBmp(const std::string& path, const TPixelImage& image) {
    detail::SaveBmp(path, image, detail::SystemFileCalls());
}

} // namespace ombrix
