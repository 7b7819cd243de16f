#include "LiveCore.h"

#include "Wall.h"

#include <algorithm>
#include <limits>
#include <new>

namespace ombrix {

TLiveCore::TLiveCore(TStartedField field, int interval, int zoom)
    : Field_(std::move(field)), Zoom_(std::clamp(zoom, 1, MaxZoom)) {
    Watch_.Add(FieldFingerprint(Field_.Field.View()));
    Timer_.setInterval(interval);
    // The pace asked for: a coarse timer runs up to 5 % fast.
    Timer_.setTimerType(Qt::PreciseTimer);
    connect(&Timer_, &QTimer::timeout, this, &TLiveCore::Tick);
}

void TLiveCore::SetOutputs(TLiveOutputs* outputs) {
    Outputs_ = outputs;
    Visible_ = true;
    if (Outputs_) {
        Outputs_->VisibilityChanged = [this](bool visible) {
            Visible_ = visible;
            Update();
        };
        Outputs_->PlacesGrew = [this] { Show(); };
        Show();
    }
    Update();
}

void TLiveCore::StartAfreshWhenSettled(std::uint32_t seed, TStart start,
                                       std::function<void(const std::string&)> said) {
    Seed_ = seed;
    StartFrom_ = std::move(start);
    Said_ = std::move(said);
}

void TLiveCore::Start() {
    Started_ = true;
    Update();
}

void TLiveCore::Pause() {
    if (Paused_)
        return;
    Paused_ = true;
    Update();
    emit PausedChanged(true);
}

void TLiveCore::Resume() {
    if (!Paused_)
        return;
    Paused_ = false;
    Update();
    emit PausedChanged(false);
}

void TLiveCore::SetOnBattery(bool onBattery) {
    OnBattery_ = onBattery;
    Update();
}

void TLiveCore::Grow(std::int64_t generations) {
    const TRuleParams rule = RuleOf(*Field_.Model);
    for (std::int64_t g = 0; g < generations; ++g)
        StepField(Field_.Field, rule, 1);
    Generation_ += static_cast<std::uint64_t>(std::max<std::int64_t>(generations, 0));
    emit GenerationChanged(Generation_);
}

TPixelImage TLiveCore::WallPicture(int width, int height) {
    return ZoomedWall(WallPattern(Field_.Tile(), Field_.Model->TilingType), Zoom_, width, height);
}

TPixelImage TLiveCore::PatternPicture() {
    return Zoomed(WallPattern(Field_.Tile(), Field_.Model->TilingType), Zoom_);
}

void TLiveCore::Tick() {
    // One thread: a field of the window's size takes far less than a tick.
    StepField(Field_.Field, RuleOf(*Field_.Model), 1);
    ++Generation_;
    // The fingerprint comes with the pattern, from the same pass over the field; a pattern
    // that is not to be shown goes nowhere.
    std::uint64_t fingerprint = 0;
    const std::optional<TLivePattern> pattern = MakePattern(&fingerprint);
    if (!pattern)
        fingerprint = FieldFingerprint(Field_.Field.View());
    const int cycle = Watch_.Add(fingerprint);
    if (cycle == 0) {
        if (pattern)
            Outputs_->Show(*pattern);
    } else if (StartFrom_) {
        StartAfresh(cycle);
    } else {
        // Going round a cycle: the last picture stays, nothing more is made or sent.
        if (cycle > 1 && pattern)
            Outputs_->Show(*pattern);
        Settled_ = true;
        Update();
    }
    emit GenerationChanged(Generation_);
}

void TLiveCore::StartAfresh(int cycle) {
    const std::uint64_t settledAt = Generation_ - static_cast<std::uint64_t>(cycle);
    Seed_ = NextSeed(Seed_);
    try {
        Field_ = StartFrom_(Seed_);
    } catch (const std::exception& error) {
        Said_(std::string("the field settled, and could not start afresh: ") + error.what());
        StartFrom_ = nullptr;
        Settled_ = true;
        Update();
        return;
    }
    Said_("the field settled at generation " + std::to_string(settledAt) +
          (cycle == 1 ? std::string(", still")
                      : ", in a cycle of " + std::to_string(cycle) + " generations") +
          "; starting afresh with seed " + std::to_string(Seed_));
    Generation_ = 0;
    Watch_.Clear();
    Watch_.Add(FieldFingerprint(Field_.Field.View()));
    Show();
}

void TLiveCore::Show() {
    if (const std::optional<TLivePattern> pattern = MakePattern(nullptr))
        Outputs_->Show(*pattern);
}

std::optional<TLivePattern> TLiveCore::MakePattern(std::uint64_t* fingerprint) {
    if (!Outputs_)
        return std::nullopt;
    try {
        // Made straight in the adapter's memory where it offers some, and no larger than
        // the largest place shows.
        const TFieldView field = Field_.Field.View();
        const TPlaceSize limit = Outputs_->LargestPlace();
        const auto [width, height] =
            TLivePatternMaker::Size(field, Field_.Model->TilingType, Zoom_, limit);
        return Pattern_.Make(field, Field_.Model->ColorTable, Field_.Model->TilingType, Zoom_,
                             Outputs_->PatternMemory(width, height), limit, fingerprint);
    } catch (const std::bad_alloc&) {
        Started_ = false;
        Update();
        if (Outputs_->Lost)
            Outputs_->Lost("not enough memory for the pattern");
    }
    return std::nullopt;
}

void TLiveCore::Update() {
    const bool run = Started_ && !Paused_ && !OnBattery_ && Visible_ && Outputs_ && !Settled_;
    if (run && !Timer_.isActive())
        Timer_.start();
    else if (!run)
        Timer_.stop();
    if (Outputs_)
        Outputs_->Pace(run ? Timer_.interval() : 0);
}

} // namespace ombrix
