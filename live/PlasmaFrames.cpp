#include "PlasmaFrames.h"

#include "BusConnect.h"
#include "PlasmaWallpaper.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ombrix {

namespace {

constexpr char FramePrefix[] = "frame-";
constexpr char FrameSuffix[] = ".bmp";
// A run starting numbers its frames this far beyond the newest it finds, clear of the
// numbers the run it takes over from writes until it has gone.
constexpr std::uint64_t NumberGap = 100000;

void PutLittle(std::vector<char>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

pid_t Run = 0;

// The parent's signals go on to the run, which ends as it ends on its own.
extern "C" void PassSignal(int signal) {
    kill(Run, signal);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

std::string PlasmaFramesFolder() {
    // One folder per session: two sessions of one user share the runtime directory, and
    // their displays (a socket there, or an X display number) tell them apart.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    std::string display = wayland && *wayland ? wayland : x11 && *x11 ? x11 : "none";
    display = std::filesystem::path(display).filename().string();
    for (char& c : display)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
            c = '_';
    const std::string name = "plasma-" + display;
    // Only the user's own runtime directory: a shared temporary folder could be prepared
    // by someone else.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/')
        throw std::runtime_error("XDG_RUNTIME_DIR names no folder, so the Plasma wallpaper's "
                                 "frames have no place");
    return std::string(runtime) + "/ombrix/" + name;
}

std::vector<char> PatternBmp(const TLivePattern& pattern) {
    constexpr std::size_t headers = 14 + 40;
    const std::size_t row = static_cast<std::size_t>(pattern.Width) * 4;
    const std::size_t pixels = row * static_cast<std::size_t>(pattern.Height);
    std::vector<char> out(headers + pixels, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLittle(out, 2, static_cast<std::uint32_t>(headers + pixels));
    PutLittle(out, 10, headers);
    PutLittle(out, 14, 40);
    PutLittle(out, 18, static_cast<std::uint32_t>(pattern.Width));
    PutLittle(out, 22, static_cast<std::uint32_t>(-pattern.Height)); // negative: top-down
    out[26] = 1;                                                     // one plane
    out[28] = 32;                                                    // bits per pixel
    PutLittle(out, 34, static_cast<std::uint32_t>(pixels));
    PutLittle(out, 38, 2835); // 72 dots per inch, both ways
    PutLittle(out, 42, 2835);
    // 0xFFRRGGBB in the machine's order is B, G, R, A in memory on little-endian
    // machines: the order of a 32-bit BMP's pixels.
    static_assert(std::endian::native == std::endian::little);
    for (int y = 0; y < pattern.Height; ++y)
        std::memcpy(out.data() + headers + row * static_cast<std::size_t>(y),
                    pattern.Pixels + static_cast<std::size_t>(y) * pattern.Stride, row);
    return out;
}

void MakeFramesFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || chmod(folder.c_str(), 0700) != 0)
        throw std::runtime_error("cannot make the frame folder \"" + folder +
                                 "\": " + (error ? error.message() : std::strerror(errno)));
}

TPlasmaFrames::TPlasmaFrames(std::string folder)
    : Folder_(std::move(folder)),
      // Begins with a dot: the wallpaper's folder view leaves hidden files out.
      Part_(Folder_ + "/.frame-" + std::to_string(getpid()) + ".part") {
    MakeFramesFolder(Folder_);
    // The frames of runs before: the newest stays until this run's first frames are there,
    // the others go.
    std::vector<std::pair<std::uint64_t, std::filesystem::path>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Folder_, error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(FramePrefix) && name.ends_with(FrameSuffix))
            found.emplace_back(std::strtoull(name.c_str() + std::strlen(FramePrefix), nullptr, 10),
                               entry.path());
    }
    std::sort(found.begin(), found.end());
    if (!found.empty()) {
        Inherited_ = found.back().first;
        Base_ = Written_ = Inherited_ + NumberGap;
        found.pop_back();
    }
    for (const auto& [number, path] : found)
        std::filesystem::remove(path, error);
    // Plasma starts the program with a pipe as its standard input and closes it when the
    // wallpaper goes (or Plasma ends): the end of the input is the end of the run.
    struct stat input {};
    if (fstat(STDIN_FILENO, &input) == 0 && (S_ISFIFO(input.st_mode) || S_ISSOCK(input.st_mode))) {
        Input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(Input_.get(), &QSocketNotifier::activated, this, [this] {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got > 0 || (got < 0 && errno == EINTR))
                return;
            Input_->setEnabled(false);
            if (Lost)
                Lost("the Plasma wallpaper let go of the live wallpaper");
        });
    }
    WatchShell();
    WatchPackage();
}

TPlasmaFrames::~TPlasmaFrames() {
    for (std::uint64_t n = Written_; n > Base_ && n + KeptFrames > Written_; --n)
        unlink(FramePath(n).c_str());
    if (Inherited_)
        unlink(FramePath(Inherited_).c_str());
    unlink(Part_.c_str());
}

void TPlasmaFrames::WatchShell() {
    ConnectBus(BusAddress(TBus::Session), this, [this](const TBusAnswer& answer) {
        if (!answer.Connection)
            return; // no bus: the input's end is the only sign
        Shell_ = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.kde.plasmashell"),
                                                       *answer.Connection,
                                                       QDBusServiceWatcher::WatchForUnregistration);
        connect(Shell_.get(), &QDBusServiceWatcher::serviceUnregistered, this, [this] {
            if (Lost)
                Lost("Plasma's shell left the session");
        });
    });
}

void RunBesideWaitingParent() {
    std::string folder;
    try {
        folder = PlasmaFramesFolder();
    } catch (const std::exception&) {
        // the run says so
    }
    const pid_t run = fork();
    if (run <= 0)
        return; // the run (or no fork: then the program runs as it is)
    Run = run;
    struct sigaction action {};
    action.sa_handler = PassSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    int status = 0;
    while (waitpid(run, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        _exit(WEXITSTATUS(status));
    // A run that crashed left its frames: they go, so the other screens' wallpapers, which
    // it served, see the folder empty and start a run of their own.
    std::error_code error;
    std::vector<std::filesystem::path> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().filename().string().starts_with(FramePrefix))
            left.push_back(entry.path());
    for (const auto& path : left)
        std::filesystem::remove(path, error);
    _exit(128 + WTERMSIG(status));
}

void TPlasmaFrames::WatchPackage() {
    const QString metadata = QStandardPaths::locate(
        QStandardPaths::GenericDataLocation,
        QStringLiteral("plasma/wallpapers/%1/metadata.json").arg(QLatin1String(PlasmaLiveId)));
    if (metadata.isEmpty())
        return; // started by hand, without the package
    Package_.addPath(metadata);
    // An update replaces the file (and the watch goes with it); a removal leaves none.
    connect(&Package_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        if (QFileInfo::exists(path))
            Package_.addPath(path);
        else if (Lost)
            Lost("the Ombrix Live wallpaper package was removed");
    });
}

std::string TPlasmaFrames::FramePath(std::uint64_t number) const {
    char name[64];
    std::snprintf(name, sizeof name, "%s%020llu%s", FramePrefix,
                  static_cast<unsigned long long>(number), FrameSuffix);
    return Folder_ + "/" + name;
}

void TPlasmaFrames::Show(const TLivePattern& pattern) {
    const std::vector<char> bmp = PatternBmp(pattern);
    const std::string path = FramePath(Written_ + 1);
    const int fd = open(Part_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool done = fd >= 0 && WriteAll(fd, bmp.data(), bmp.size());
    if (fd >= 0)
        done = close(fd) == 0 && done;
    done = done && rename(Part_.c_str(), path.c_str()) == 0;
    if (!done) {
        if (!WriteFailed_)
            std::fprintf(stderr, "ombrix-live: cannot write the frame \"%s\": %s\n", path.c_str(),
                         std::strerror(errno));
        WriteFailed_ = true;
        unlink(Part_.c_str());
        return;
    }
    WriteFailed_ = false;
    ++Written_;
    if (Written_ - Base_ > KeptFrames)
        unlink(FramePath(Written_ - KeptFrames).c_str());
    else if (Written_ - Base_ == KeptFrames && Inherited_) {
        unlink(FramePath(Inherited_).c_str());
        Inherited_ = 0;
    }
}

std::string TPlasmaFrames::Name() const {
    return "plasma wallpaper frames in " + Folder_;
}

} // namespace ombrix
