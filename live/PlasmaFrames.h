// The live wallpaper inside Plasma's own wallpaper (the package in plasma/): Plasma paints
// wallpaper and desktop icons in one window, so the program draws no window of its own.
// Each generation's pattern becomes one uncompressed BMP file in a folder of the user's
// runtime directory, written beside and renamed into place, so a reader never sees half a
// frame. The wallpaper watches the folder and repeats the newest frame (the highest
// number) from the screen's corner; only the pattern travels. The last few frames stay,
// so a reader still loading one finds it; older ones are removed.
//
// Every screen's wallpaper starts a run; the newest takes over (LiveBus.h) and numbers its
// frames on from the ones it finds, so the folder is never empty while one runs. A run
// removes its own frames when it ends: an empty folder tells the other screens' wallpapers
// that nobody serves them any more.
//
// The run ends (Lost) when its wallpaper lets go of it: its standard input, a pipe from
// Plasma, reaches its end, Plasma's shell leaves the session bus, or the wallpaper package
// is removed.
#pragma once

#include "LiveOutputs.h"

#include <QDBusServiceWatcher>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ombrix {

/// $XDG_RUNTIME_DIR/ombrix/plasma-DISPLAY, DISPLAY the session's WAYLAND_DISPLAY (its
/// file name) or else DISPLAY, other characters than letters, digits, '-' and '.' as '_'
/// Throws std::runtime_error with an English message when XDG_RUNTIME_DIR is unset.
std::string PlasmaFramesFolder();

/// Makes `folder` (mode 700) when it is missing, so that a watcher can start on it before
/// the first frame. Throws std::runtime_error with an English message naming the folder.
void MakeFramesFolder(const std::string& folder);

/// Plasma kills the program it started without warning when the wallpaper goes. Called
/// first thing, before any thread: forks, and the process Plasma knows only waits for the
/// run, passes signals on, and ends as it ends (128 + N when signal N ended it, after
/// removing the frames it left), so that the run itself is never killed unawares and
/// sees its input end instead. Returns in the run.
void RunBesideWaitingParent();

/// The BMP file of `pattern`: a 32-bit top-down picture, the pixels as they are.
std::vector<char> PatternBmp(const TLivePattern& pattern);

class TPlasmaFrames : public QObject, public TLiveOutputs {
    Q_OBJECT
public:
    /// Makes `folder` (mode 700) and empties it of old frames. Throws std::runtime_error
    /// with an English message naming the folder when it cannot be made.
    explicit TPlasmaFrames(std::string folder);
    ~TPlasmaFrames() override;

    /// Writes the frame; a failed write (full disk) is said once and the run goes on.
    void Show(const TLivePattern& pattern) override;
    std::string Name() const override;

    /// How many frames stay in the folder.
    static constexpr int KeptFrames = 3;

private:
    std::string FramePath(std::uint64_t number) const;
    void WatchShell();
    void WatchPackage();

    std::string Folder_;
    std::string Part_;            ///< this run's file being written
    std::uint64_t Base_ = 0;      ///< frames of this run are numbered from Base_ + 1
    std::uint64_t Written_ = 0;   ///< the number of the last frame written
    std::uint64_t Inherited_ = 0; ///< the newest frame of the runs before, kept a while
    bool WriteFailed_ = false;
    std::unique_ptr<QSocketNotifier> Input_;
    std::unique_ptr<QDBusServiceWatcher> Shell_;
    QFileSystemWatcher Package_;
};

} // namespace ombrix
