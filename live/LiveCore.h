// The live wallpaper's core: the field grows one generation per tick, and after each
// the pattern (the wall's repeat, each cell Zoom × Zoom pixels) goes to the places it is
// drawn into. It neither steps nor draws while it is paused by the user, paused on
// battery, or while nothing it draws can be seen; it carries on where it stopped.
#pragma once

#include "LiveOutputs.h"
#include "PixelImage.h"
#include "Start.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

namespace ombrix {

/// The pattern of `tile` for `tilingType` (WallPattern) as 0xFFRRGGBB, every pixel made
/// zoom × zoom; `pixels` is resized to (W × zoom) × (H × zoom) and filled row by row.
/// Only its top-left `limit` part is made where `limit` is smaller (a side of 0: all).
void MakeLivePattern(const TPixelImage& tile, int tilingType, int zoom,
                     std::vector<std::uint32_t>& pixels, int& width, int& height,
                     TPlaceSize limit = {});

class TLiveCore : public QObject {
    Q_OBJECT
public:
    /// `field` was started as the window starts (settings, seed, overrides).
    /// `interval` in milliseconds (10..2000), `zoom` 1..MaxZoom.
    TLiveCore(TStartedField field, int interval, int zoom);

    /// Draws into `outputs` from now on (not owned; may be null while there is none) and
    /// shows the current generation there.
    void SetOutputs(TLiveOutputs* outputs);

    /// Starts the ticks (unless something holds them).
    void Start();

    void Pause();
    void Resume();
    void SetOnBattery(bool onBattery);

    /// Generations since the start; 0 is the seeded field.
    std::uint64_t Generation() const { return Generation_; }
    /// Paused by Pause() (not by battery or visibility).
    bool Paused() const { return Paused_; }
    /// True while the ticks run.
    bool Running() const { return Timer_.isActive(); }
    int Interval() const { return Timer_.interval(); }

    /// Grows `generations` generations at once without drawing (the still mode).
    void Grow(std::int64_t generations);

    /// The wall as `width` × `height` picture, as ombrix-render --size draws it.
    TPixelImage WallPicture(int width, int height);
    /// The pattern whose plain repetition is the wall, each cell Zoom × Zoom pixels.
    TPixelImage PatternPicture();

signals:
    void GenerationChanged(std::uint64_t generation);
    void PausedChanged(bool paused);

private:
    void Tick();
    void Show();
    void Update();

    TStartedField Field_;
    int Zoom_;
    TLiveOutputs* Outputs_ = nullptr;
    QTimer Timer_;
    TPixelImage Tile_;
    std::vector<std::uint32_t> Pattern_;
    std::uint64_t Generation_ = 0;
    bool Started_ = false;
    bool Paused_ = false;
    bool OnBattery_ = false;
    bool Visible_ = true;
};

} // namespace ombrix
