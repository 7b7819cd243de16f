#include "LayerShellOutputs.h"

#include "WaylandOutputs.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace ombrix {

namespace {

using TClock = std::chrono::steady_clock;

/// Buffers per output: one shown, one on its way, one to write.
constexpr std::size_t BuffersPerOutput = 3;

std::string DisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name ? name : "";
}

class TLayerShellOutputs;

struct TOutput final : TWaylandOutput {
    // The layer surface is the grid's surface.
    TPatternSurfaces Surfaces;
    zwlr_layer_surface_v1* Layer = nullptr;
    bool ToldScale = false; ///< a fractional scale without a viewporter was said
    bool Configured = false;
    int Width = 0; ///< surface-local units, as the compositor configured it
    int Height = 0;
    wl_callback* Frame = nullptr;
    TClock::time_point FrameAskedAt;
};

TOutput& Of(const std::unique_ptr<TWaylandOutput>& output) {
    return static_cast<TOutput&>(*output);
}

TLayerShellOutputs& OwnerOf(const TOutput& output);

class TLayerShellOutputs final : public TWaylandOutputs {
public:
    explicit TLayerShellOutputs(wl_display* display)
        : TWaylandOutputs(display, DisplayName(), true) {}
    ~TLayerShellOutputs() override;

    bool Start(std::string& reason);
    void Show(const TLivePattern& pattern) override;
    TPatternMemory PatternMemory(int width, int height) override;
    void Pace(int interval) override {
        TWaylandOutputs::Pace(interval);
        // While patterns come, the frames are looked at with each; else on a timer.
        if (ReadWithPatterns_)
            VisibilityTimer_.stop();
        else if (!Lost_ && !VisibilityTimer_.isActive() &&
                 std::ranges::any_of(Outputs_, [](const auto& output) { return Of(output).Frame; }))
            VisibilityTimer_.start();
    }
    std::string Name() const override { return "wayland layer shell"; }

private:
    // Registry and output events.
    void AddGlobal(std::uint32_t global, const std::string& name, std::uint32_t version) override;
    const char* MissingGlobal() const override {
        return LayerShell_ ? nullptr : "the wlr layer shell (zwlr_layer_shell_v1)";
    }
    std::unique_ptr<TWaylandOutput> NewOutput() override { return std::make_unique<TOutput>(); }
    void OutputDone(TWaylandOutput& output) override;
    void OutputGone(TWaylandOutput& output) override {
        DestroySurface(static_cast<TOutput&>(output));
    }
    void EventsRead() override { CheckVisibility(); }
    void Stopping() override { VisibilityTimer_.stop(); }

    // Surfaces.
    void CreateSurface(TOutput& output);
    void DestroySurface(TOutput& output);
    void Configure(TOutput& output, std::uint32_t serial, std::uint32_t width,
                   std::uint32_t height);
    void Draw(TOutput& output);
    TPatternLayout Layout(TOutput& output, int width, int height);
    void ApplyLayout(TOutput& output, const TPatternLayout& layout);
    TShmBuffer* FreeBuffer(TOutput& output);
    void ForgetBuffers(TOutput& output);
    void FrameDone(TOutput& output);
    void CheckVisibility();

    static const zwlr_layer_surface_v1_listener LayerListener;
    static const wl_callback_listener FrameListener;

    zwlr_layer_shell_v1* LayerShell_ = nullptr;
    std::uint32_t LayerShellVersion_ = 0;
    bool Started_ = false;
    bool Visible_ = true;

    /// The core's pattern, unchanged until the next Show: in the core's memory, in a
    /// buffer the core made it in, or in Kept_ when that buffer had to go.
    TLivePattern Pattern_;
    std::vector<std::uint32_t> Kept_;
    /// The buffer PatternMemory gave for the next pattern, and its output.
    TShmBuffer* Target_ = nullptr;
    TOutput* TargetOutput_ = nullptr;

    QTimer VisibilityTimer_;
};

const zwlr_layer_surface_v1_listener TLayerShellOutputs::LayerListener = {
    // configure
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
        auto* output = static_cast<TOutput*>(data);
        OwnerOf(*output).Configure(*output, serial, width, height);
    },
    // closed: the output went or the compositor gave the surface up.
    [](void* data, zwlr_layer_surface_v1*) {
        auto* output = static_cast<TOutput*>(data);
        OwnerOf(*output).DestroySurface(*output);
    },
};

const wl_callback_listener TLayerShellOutputs::FrameListener = {
    [](void* data, wl_callback*, std::uint32_t) {
        auto* output = static_cast<TOutput*>(data);
        OwnerOf(*output).FrameDone(*output);
    },
};

TLayerShellOutputs::~TLayerShellOutputs() {
    for (auto& output : Outputs_)
        DestroySurface(Of(output));
    if (LayerShell_) {
        if (LayerShellVersion_ >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(LayerShell_);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(LayerShell_));
    }
}

bool TLayerShellOutputs::Start(std::string& reason) {
    if (!Bind(reason))
        return false;
    Started_ = true;
    for (auto& output : Outputs_)
        CreateSurface(Of(output));
    // The compositor answers each new surface with its size.
    if (!Roundtrip(reason))
        return false;

    Watch();
    VisibilityTimer_.setInterval(HiddenAfterMs / 4);
    QObject::connect(&VisibilityTimer_, &QTimer::timeout, &Context_, [this] { CheckVisibility(); });
    // The first verdict comes from the event loop, once the caller has set its handlers.
    QTimer::singleShot(0, &Context_, [this] { CheckVisibility(); });
    return true;
}

void TLayerShellOutputs::AddGlobal(std::uint32_t global, const std::string& name,
                                   std::uint32_t version) {
    if (name == zwlr_layer_shell_v1_interface.name && !LayerShell_) {
        LayerShellVersion_ = std::min<std::uint32_t>(version, 3);
        LayerShell_ = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(
            Registry_, global, &zwlr_layer_shell_v1_interface, LayerShellVersion_));
    }
    // An output's surface comes with its first done event, once its scale is known.
}

void TLayerShellOutputs::OutputDone(TWaylandOutput& done) {
    auto& output = static_cast<TOutput&>(done);
    const bool rescaled = output.PendingScale != output.Scale;
    output.Scale = output.PendingScale;
    if (!Started_)
        return;
    if (!output.Surfaces.Surface)
        CreateSurface(output);
    else if (rescaled)
        Draw(output);
}

// sway and Hyprland run their own background program (swaybg, hyprpaper) on the background
// layer, and sway draws a newer surface of a layer below the older ones, so a wallpaper
// there would stay hidden (and come back hidden after each reload restarts that program).
// The bottom layer lies above it and still below every window.
zwlr_layer_shell_v1_layer WallpaperLayer() {
    const bool ownBackground =
        std::getenv("SWAYSOCK") || std::getenv("HYPRLAND_INSTANCE_SIGNATURE");
    return ownBackground ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND;
}

void TLayerShellOutputs::CreateSurface(TOutput& output) {
    output.Surfaces.Surface = wl_compositor_create_surface(Compositor_);
    output.Layer = zwlr_layer_shell_v1_get_layer_surface(
        LayerShell_, output.Surfaces.Surface, output.Output, WallpaperLayer(), "wallpaper");
    zwlr_layer_surface_v1_add_listener(output.Layer, &LayerListener, &output);
    zwlr_layer_surface_v1_set_size(output.Layer, 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        output.Layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output.Layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        output.Layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // The first commit carries no buffer: the compositor answers it with configure.
    wl_surface_commit(output.Surfaces.Surface);
}

void TLayerShellOutputs::DestroySurface(TOutput& output) {
    if (output.Frame) {
        wl_callback_destroy(output.Frame);
        output.Frame = nullptr;
    }
    DestroyCells(output.Surfaces);
    if (output.Surfaces.Viewport) {
        wp_viewport_destroy(output.Surfaces.Viewport);
        output.Surfaces.Viewport = nullptr;
    }
    if (output.Layer) {
        zwlr_layer_surface_v1_destroy(output.Layer);
        output.Layer = nullptr;
    }
    if (output.Surfaces.Surface) {
        wl_surface_destroy(output.Surfaces.Surface);
        output.Surfaces.Surface = nullptr;
    }
    ForgetBuffers(output);
    output.Configured = false;
    output.Surfaces.Layout = TPatternLayout{};
}

void TLayerShellOutputs::Configure(TOutput& output, std::uint32_t serial, std::uint32_t width,
                                   std::uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(output.Layer, serial);
    // Zero leaves the size to the client: the output's, in surface-local units.
    const int scale = std::max(1, output.Scale);
    output.Width = width > 0 ? static_cast<int>(std::min<std::uint32_t>(width, INT_MAX))
                             : output.ModeWidth / scale;
    output.Height = height > 0 ? static_cast<int>(std::min<std::uint32_t>(height, INT_MAX))
                               : output.ModeHeight / scale;
    output.Configured = true;
    Draw(output);
}

void TLayerShellOutputs::Show(const TLivePattern& pattern) {
    if (Lost_)
        return;
    if (pattern.Width <= 0 || pattern.Height <= 0 || !pattern.Pixels)
        return;
    Pattern_ = pattern;
    // What the compositor said since the last picture (buffers released, frames done,
    // outputs changed).
    ReadWithPattern();
    if (Lost_)
        return;
    for (auto& output : Outputs_)
        Draw(Of(output));
    Target_ = nullptr;
    TargetOutput_ = nullptr;
    Flush();
}

TPatternMemory TLayerShellOutputs::PatternMemory(int width, int height) {
    Target_ = nullptr;
    TargetOutput_ = nullptr;
    if (Lost_ || width <= 0 || height <= 0)
        return {};
    // The first output whose buffer holds the whole pattern at its top-left corner; the
    // others copy it from there.
    for (auto& place : Outputs_) {
        TOutput& output = Of(place);
        if (!output.Configured)
            continue;
        const TPatternLayout layout = Layout(output, width, height);
        if (layout.Columns == 0 || layout.BufferWidth < width || layout.BufferHeight < height)
            continue;
        if (!(layout == output.Surfaces.Layout))
            ApplyLayout(output, layout);
        TShmBuffer* buffer = FreeBuffer(output);
        if (!buffer)
            continue;
        Target_ = buffer;
        TargetOutput_ = &output;
        // Read back where the buffer repeats the pattern, or other outputs copy it.
        const bool repeated = layout.BufferWidth > width || layout.BufferHeight > height;
        const bool others = std::ranges::count_if(Outputs_, [](const auto& other) {
                                return Of(other).Configured;
                            }) > 1;
        return {buffer->Pixels, buffer->Width, repeated || others};
    }
    return {};
}

void TLayerShellOutputs::Draw(TOutput& output) {
    if (!output.Configured || !Pattern_.Pixels)
        return;
    const TPatternLayout layout = Layout(output, Pattern_.Width, Pattern_.Height);
    if (layout.Columns == 0)
        return;
    if (!(layout == output.Surfaces.Layout))
        ApplyLayout(output, layout);
    TShmBuffer* buffer = &output == TargetOutput_ && Pattern_.Pixels == Target_->Pixels
                             ? Target_
                             : FreeBuffer(output);
    if (!buffer)
        return; // every buffer still held: this output skips one picture
    FillBuffer(*buffer, Pattern_);
    Attach(output.Surfaces, *buffer);
    if (!output.Frame) {
        output.Frame = wl_surface_frame(output.Surfaces.Surface);
        wl_callback_add_listener(output.Frame, &FrameListener, &output);
        output.FrameAskedAt = TClock::now();
        if (!VisibilityTimer_.isActive() && !ReadWithPatterns_)
            VisibilityTimer_.start();
    }
    wl_surface_commit(output.Surfaces.Surface);
    buffer->Busy = true;
}

TPatternLayout TLayerShellOutputs::Layout(TOutput& output, int width, int height) {
    // The output's scale is its mode over its size in units: a whole one is wl_output's
    // scale; a fraction (sway's 1.25 or 1.5) is shown exactly through viewports.
    const int whole = std::max(1, output.Scale);
    if (output.ModeWidth > 0 && output.Width > 0 && output.Height > 0) {
        const int common = std::gcd(output.ModeWidth, output.Width);
        const int scale = output.ModeWidth / common;
        const int units = output.Width / common;
        const bool one =
            std::int64_t{output.ModeHeight} * units == std::int64_t{output.Height} * scale;
        if (units > 1 && one && Viewporter_)
            return LayOutPattern(width, height, scale, units, output.Width, output.Height);
        if (units > 1 && one && !output.ToldScale) {
            output.ToldScale = true;
            std::fprintf(stderr,
                         "ombrix-live: output %s has a scale of %d/%d, which the compositor "
                         "cannot show pixel for pixel (no wp_viewporter): drawn at scale %d\n",
                         output.Name.c_str(), scale, units, whole);
        }
    }
    return LayOutPattern(width, height, whole, output.Width, output.Height);
}
void TLayerShellOutputs::ForgetBuffers(TOutput& output) {
    // The pattern outlives the buffer it was made in.
    for (const auto& buffer : output.Surfaces.Buffers)
        if (Pattern_.Pixels == buffer->Pixels) {
            Kept_.resize(static_cast<std::size_t>(Pattern_.Width) * Pattern_.Height);
            for (int y = 0; y < Pattern_.Height; ++y)
                std::memcpy(Kept_.data() + static_cast<std::size_t>(y) * Pattern_.Width,
                            Pattern_.Pixels + static_cast<std::size_t>(y) * Pattern_.Stride,
                            static_cast<std::size_t>(Pattern_.Width) * 4);
            Pattern_.Pixels = Kept_.data();
            Pattern_.Stride = Pattern_.Width;
        }
    if (TargetOutput_ == &output) {
        Target_ = nullptr;
        TargetOutput_ = nullptr;
    }
    output.Surfaces.Buffers.clear();
}

void TLayerShellOutputs::ApplyLayout(TOutput& output, const TPatternLayout& layout) {
    ForgetBuffers(output);
    TWaylandOutputs::ApplyLayout(output.Surfaces, layout);
}

TShmBuffer* TLayerShellOutputs::FreeBuffer(TOutput& output) {
    // Never the one the pattern is in: it is kept until the next Show.
    return TWaylandOutputs::FreeBuffer(output.Surfaces, BuffersPerOutput, Pattern_.Pixels);
}

void TLayerShellOutputs::FrameDone(TOutput& output) {
    wl_callback_destroy(output.Frame);
    output.Frame = nullptr;
}
void TLayerShellOutputs::CheckVisibility() {
    const auto now = TClock::now();
    bool seen = false;
    bool waiting = false;
    for (const auto& place : Outputs_) {
        const TOutput* output = &Of(place);
        if (!output->Configured)
            continue;
        if (!output->Frame) {
            seen = true;
            continue;
        }
        waiting = true;
        if (now - output->FrameAskedAt < std::chrono::milliseconds(HiddenAfterMs))
            seen = true;
    }
    if (!waiting || ReadWithPatterns_)
        VisibilityTimer_.stop();
    if (seen == Visible_)
        return;
    Visible_ = seen;
    if (VisibilityChanged)
        VisibilityChanged(seen);
}

TLayerShellOutputs& OwnerOf(const TOutput& output) {
    return static_cast<TLayerShellOutputs&>(*output.Owner);
}

} // namespace

std::unique_ptr<TLiveOutputs> OpenLayerShell(std::string& reason) {
    const std::string name = DisplayName();
    if (name.empty()) {
        reason = "WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    return OpenWayland<TLayerShellOutputs>(name, reason);
}

} // namespace ombrix
