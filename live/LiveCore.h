// The live wallpaper's core: the field grows one generation per tick, and after each
// the pattern (the wall's repeat, each cell Zoom × Zoom pixels) goes to the places it is
// drawn into. It neither steps nor draws while it is paused by the user, paused on
// battery, or while nothing it draws can be seen; it carries on where it stopped.
// A generation equal to the one before is not drawn again. Once the field has settled
// (still, or going round a short cycle) it starts afresh from a new seed when asked to,
// else it stops stepping and the last picture stays.
#pragma once

#include "LiveOutputs.h"
#include "LivePattern.h"
#include "PixelImage.h"
#include "SettledField.h"
#include "Start.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ombrix {

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

    /// Makes the field start afresh once it has settled: with seed NextSeed(`seed`), the
    /// seed it started from, through `start` (the field as the program starts it from a
    /// seed), then from the seed after that, and so on. Without this call a settled field
    /// stops the ticks. When `start` throws, the message goes to `failed` and the ticks stop.
    using TStart = std::function<TStartedField(std::uint32_t seed)>;
    void StartAfreshWhenSettled(std::uint32_t seed, TStart start,
                                std::function<void(const std::string&)> said);
    /// True once the field has settled and stays so (no fresh start).
    bool Settled() const { return Settled_; }

    void Pause();
    void Resume();
    void SetOnBattery(bool onBattery);

    /// Generations since the start or the last fresh start; 0 is the seeded field.
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
    /// Makes the current generation's pattern, in the outputs' memory where they offer
    /// some, and with `fingerprint` the field's fingerprint too (FieldFingerprint). None
    /// without outputs, or when the memory could not be had (said to the outputs' Lost).
    std::optional<TLivePattern> MakePattern(std::uint64_t* fingerprint);
    void Show();
    void Update();
    void StartAfresh(int cycle);

    TStartedField Field_;
    int Zoom_;
    TLiveOutputs* Outputs_ = nullptr;
    QTimer Timer_;
    TLivePatternMaker Pattern_;
    TSettleWatch Watch_;
    std::uint32_t Seed_ = 0;
    TStart StartFrom_;
    std::function<void(const std::string&)> Said_;
    std::uint64_t Generation_ = 0;
    bool Settled_ = false;
    bool Started_ = false;
    bool Paused_ = false;
    bool OnBattery_ = false;
    bool Visible_ = true;
};

} // namespace ombrix
