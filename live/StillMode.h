// The still mode, for desktops where nothing can be drawn live (GNOME on Wayland draws its
// own background) or when asked for with --still-every: every few minutes the field grows
// by the generations that time gives at the speed (at most MaxStillGenerations) and the
// frame is set as the background the way the window's wallpaper button sets it.
#pragma once

#include "LiveCore.h"
#include "Publish.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QTimer>

#include <cstdint>

namespace ombrix {

inline constexpr std::int64_t MaxStillGenerations = 10000;

/// The generations one period of `minutes` gives at one per `interval` milliseconds,
/// at most MaxStillGenerations.
std::int64_t StillGenerations(std::int32_t minutes, std::int32_t interval);

class TStillMode : public QObject {
    Q_OBJECT
public:
    /// Sets the first frame at once. `width` × `height` is the screen's size in pixels;
    /// 0 × 0 sets the pattern for the desktop to repeat.
    TStillMode(TLiveCore& core, std::int32_t minutes, std::int32_t interval, int width, int height,
               QProcessEnvironment session);

private:
    void SetFrame();

    TLiveCore& Core_;
    TWallpaperPublisher Publisher_;
    std::int64_t Generations_;
    int Width_;
    int Height_;
    QProcessEnvironment Session_;
    QTimer Timer_;
};

} // namespace ombrix
