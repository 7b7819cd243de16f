#include "LiveCore.h"

#include "Wall.h"

#include <algorithm>
#include <limits>
#include <new>

namespace ombrix {

namespace {

std::uint32_t Argb(TColor c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

} // namespace

void MakeLivePattern(const TPixelImage& tile, int tilingType, int zoom,
                     std::vector<std::uint32_t>& pixels, int& width, int& height,
                     TPlaceSize limit) {
    const TPixelImage pattern = WallPattern(tile, tilingType);
    width = pattern.Width() * zoom;
    height = pattern.Height() * zoom;
    if (limit.Width > 0)
        width = std::min(width, limit.Width);
    if (limit.Height > 0)
        height = std::min(height, limit.Height);
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t* out = pixels.data();
    const int wholeCells = width / zoom; // then a cell cut by the limit, if any
    for (int y = 0; y * zoom < height; ++y) {
        std::uint32_t* first = out;
        const TColor* from = pattern.Row(y);
        for (const TColor* end = from + wholeCells; from != end; ++from)
            out = std::fill_n(out, zoom, Argb(*from));
        if (width % zoom != 0)
            out = std::fill_n(out, width % zoom, Argb(*from));
        for (int repeat = 1; repeat < std::min(zoom, height - y * zoom); ++repeat)
            out = std::copy(first, first + width, out);
    }
}

TLiveCore::TLiveCore(TStartedField field, int interval, int zoom)
    : Field_(std::move(field)), Zoom_(std::clamp(zoom, 1, MaxZoom)) {
    Timer_.setInterval(interval);
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
    Show();
    emit GenerationChanged(Generation_);
}

void TLiveCore::Show() {
    if (!Outputs_)
        return;
    try {
        RenderTile(Field_.Field.View(), Field_.Model->ColorTable, Tile_);
        TLivePattern pattern;
        MakeLivePattern(Tile_, Field_.Model->TilingType, Zoom_, Pattern_, pattern.Width,
                        pattern.Height, Outputs_->LargestPlace());
        pattern.Stride = pattern.Width;
        pattern.Pixels = Pattern_.data();
        Outputs_->Show(pattern);
    } catch (const std::bad_alloc&) {
        Timer_.stop();
        Started_ = false;
        if (Outputs_->Lost)
            Outputs_->Lost("not enough memory for the pattern");
    }
}

void TLiveCore::Update() {
    const bool run = Started_ && !Paused_ && !OnBattery_ && Visible_ && Outputs_;
    if (run && !Timer_.isActive())
        Timer_.start();
    else if (!run)
        Timer_.stop();
}

} // namespace ombrix
