#include "LayerShellOutputs.h"

#include "PatternLayout.h"
#include "viewporter-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <wayland-client.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

namespace ombrix {

namespace {

using TClock = std::chrono::steady_clock;

/// How long the compositor may take to answer while the connection is being set up.
constexpr int AnswerTimeoutMs = 5000;
/// Buffers per output: one shown, one on its way, one to write.
constexpr std::size_t BuffersPerOutput = 3;
/// While pictures come closer together than this, the compositor's events are read when
/// a picture is sent, not on a wake-up of their own.
constexpr int ReadWithPicturesMs = 100;

std::string DisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name ? name : "";
}

/// One shared-memory buffer of XRGB8888 pixels (0xFFRRGGBB in memory order of the host,
/// as the pattern holds them).
struct TBuffer {
    wl_buffer* Buffer = nullptr;
    std::uint32_t* Pixels = nullptr;
    std::size_t Bytes = 0;
    int Width = 0;
    int Height = 0;
    /// Attached and not yet released by the compositor: not to be written.
    bool Busy = false;

    TBuffer() = default;
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;
    ~TBuffer() {
        // Destroying a buffer the compositor holds is allowed as long as its memory is not
        // changed afterwards; unmapping does not change it.
        if (Buffer)
            wl_buffer_destroy(Buffer);
        if (Pixels)
            munmap(Pixels, Bytes);
    }
};

/// A subsurface that shows the output's buffer at one place of the grid.
struct TCell {
    wl_surface* Surface = nullptr;
    wl_subsurface* Subsurface = nullptr;
    wp_viewport* Viewport = nullptr; ///< at a fractional scale
};

class TLayerShellOutputs;

struct TOutput {
    TLayerShellOutputs* Owner = nullptr;
    std::uint32_t Global = 0;
    std::uint32_t Version = 0;
    wl_output* Output = nullptr;
    std::string Name;
    int Scale = 1;
    int PendingScale = 1;
    int ModeWidth = 0;
    int ModeHeight = 0;

    // The layer surface: grid place (0, 0); the cells hold the other places.
    wl_surface* Surface = nullptr;
    wp_viewport* Viewport = nullptr; ///< at a fractional scale
    zwlr_layer_surface_v1* Layer = nullptr;
    bool ToldScale = false; ///< a fractional scale without a viewporter was said
    bool Configured = false;
    int Width = 0; ///< surface-local units, as the compositor configured it
    int Height = 0;
    std::vector<TCell> Cells;
    TPatternLayout Layout;
    std::vector<std::unique_ptr<TBuffer>> Buffers;
    wl_callback* Frame = nullptr;
    TClock::time_point FrameAskedAt;
};

class TLayerShellOutputs final : public TLiveOutputs {
public:
    explicit TLayerShellOutputs(wl_display* display) : Display_(display) {}
    ~TLayerShellOutputs() override;

    bool Start(std::string& reason);
    void Show(const TLivePattern& pattern) override;
    std::uint32_t* PatternMemory(int width, int height, int& stride) override;
    std::string Name() const override { return "wayland layer shell"; }

private:
    // Registry and output events.
    void AddGlobal(std::uint32_t global, const char* interface, std::uint32_t version);
    void RemoveGlobal(std::uint32_t global);
    void OutputDone(TOutput& output);

    // Surfaces.
    void CreateSurface(TOutput& output);
    void DestroySurface(TOutput& output);
    void Configure(TOutput& output, std::uint32_t serial, std::uint32_t width,
                   std::uint32_t height);
    void Draw(TOutput& output);
    TPatternLayout Layout(TOutput& output, int width, int height);
    void ApplyLayout(TOutput& output, const TPatternLayout& layout);
    TBuffer* FreeBuffer(TOutput& output);
    void ForgetBuffers(TOutput& output);
    std::unique_ptr<TBuffer> CreateBuffer(int width, int height);
    void FillBuffer(TBuffer& buffer) const;
    void FrameDone(TOutput& output);

    // The connection.
    bool Roundtrip(std::string& reason);
    void ReadEvents();
    void Flush();
    void Fail();
    std::string FailureMessage() const;
    void CheckVisibility();

    static const wl_registry_listener RegistryListener;
    static const wl_output_listener OutputListener;
    static const zwlr_layer_surface_v1_listener LayerListener;
    static const wl_callback_listener FrameListener;
    static const wl_buffer_listener BufferListener;

    wl_display* Display_;
    wl_registry* Registry_ = nullptr;
    wl_compositor* Compositor_ = nullptr;
    wl_subcompositor* Subcompositor_ = nullptr;
    wl_shm* Shm_ = nullptr;
    wp_viewporter* Viewporter_ = nullptr;
    zwlr_layer_shell_v1* LayerShell_ = nullptr;
    std::uint32_t LayerShellVersion_ = 0;
    std::vector<std::unique_ptr<TOutput>> Outputs_;
    bool Started_ = false;
    bool Lost_ = false;
    bool Visible_ = true;

    /// The core's pattern, unchanged until the next Show: in the core's memory, in a
    /// buffer the core made it in, or in Kept_ when that buffer had to go.
    TLivePattern Pattern_;
    std::vector<std::uint32_t> Kept_;
    /// The buffer PatternMemory gave for the next pattern, and its output.
    TBuffer* Target_ = nullptr;
    TOutput* TargetOutput_ = nullptr;

    /// The receiver of queued calls: gone with the adapter, so none runs after it.
    QObject Context_;
    std::unique_ptr<QSocketNotifier> ReadNotifier_;
    std::unique_ptr<QSocketNotifier> WriteNotifier_;
    QTimer VisibilityTimer_;
    /// Runs out when no picture has come for ReadWithPicturesMs: the events are watched again.
    QTimer QuietTimer_;
};

const wl_registry_listener TLayerShellOutputs::RegistryListener = {
    [](void* data, wl_registry*, std::uint32_t global, const char* interface,
       std::uint32_t version) {
        static_cast<TLayerShellOutputs*>(data)->AddGlobal(global, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t global) {
        static_cast<TLayerShellOutputs*>(data)->RemoveGlobal(global);
    },
};

const wl_output_listener TLayerShellOutputs::OutputListener = {
    // geometry
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
       const char*, const char*, std::int32_t) {},
    // mode
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            auto* output = static_cast<TOutput*>(data);
            output->ModeWidth = width;
            output->ModeHeight = height;
        }
    },
    // done
    [](void* data, wl_output*) {
        auto* output = static_cast<TOutput*>(data);
        output->Owner->OutputDone(*output);
    },
    // scale
    [](void* data, wl_output*, std::int32_t factor) {
        static_cast<TOutput*>(data)->PendingScale = std::max(1, factor);
    },
    // name
    [](void* data, wl_output*, const char* name) { static_cast<TOutput*>(data)->Name = name; },
    // description
    [](void*, wl_output*, const char*) {},
};

const zwlr_layer_surface_v1_listener TLayerShellOutputs::LayerListener = {
    // configure
    [](void* data, zwlr_layer_surface_v1*, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
        auto* output = static_cast<TOutput*>(data);
        output->Owner->Configure(*output, serial, width, height);
    },
    // closed: the output went or the compositor gave the surface up.
    [](void* data, zwlr_layer_surface_v1*) {
        auto* output = static_cast<TOutput*>(data);
        output->Owner->DestroySurface(*output);
    },
};

const wl_callback_listener TLayerShellOutputs::FrameListener = {
    [](void* data, wl_callback*, std::uint32_t) {
        auto* output = static_cast<TOutput*>(data);
        output->Owner->FrameDone(*output);
    },
};

const wl_buffer_listener TLayerShellOutputs::BufferListener = {
    [](void* data, wl_buffer*) { static_cast<TBuffer*>(data)->Busy = false; },
};

TLayerShellOutputs::~TLayerShellOutputs() {
    ReadNotifier_.reset();
    WriteNotifier_.reset();
    for (auto& output : Outputs_) {
        DestroySurface(*output);
        if (output->Version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(output->Output);
        else
            wl_output_destroy(output->Output);
    }
    Outputs_.clear();
    if (LayerShell_) {
        if (LayerShellVersion_ >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(LayerShell_);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(LayerShell_));
    }
    if (Shm_)
        wl_shm_destroy(Shm_);
    if (Viewporter_)
        wp_viewporter_destroy(Viewporter_);
    if (Subcompositor_)
        wl_subcompositor_destroy(Subcompositor_);
    if (Compositor_)
        wl_compositor_destroy(Compositor_);
    if (Registry_)
        wl_registry_destroy(Registry_);
    if (!Lost_)
        wl_display_flush(Display_);
    wl_display_disconnect(Display_);
}

bool TLayerShellOutputs::Start(std::string& reason) {
    Registry_ = wl_display_get_registry(Display_);
    wl_registry_add_listener(Registry_, &RegistryListener, this);
    // The first answer brings the globals, the second what the outputs tell of themselves.
    if (!Roundtrip(reason) || !Roundtrip(reason))
        return false;
    const char* missing = !Compositor_      ? "wl_compositor version 3"
                          : !Subcompositor_ ? "wl_subcompositor"
                          : !Shm_           ? "wl_shm"
                          : !LayerShell_    ? "the wlr layer shell (zwlr_layer_shell_v1)"
                                            : nullptr;
    if (missing) {
        reason = "the Wayland compositor on " + DisplayName() + " has no " + missing;
        return false;
    }
    Started_ = true;
    for (auto& output : Outputs_)
        CreateSurface(*output);
    // The compositor answers each new surface with its size.
    if (!Roundtrip(reason))
        return false;

    const int fd = wl_display_get_fd(Display_);
    ReadNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(ReadNotifier_.get(), &QSocketNotifier::activated, &Context_,
                     [this] { ReadEvents(); });
    WriteNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    WriteNotifier_->setEnabled(false);
    QObject::connect(WriteNotifier_.get(), &QSocketNotifier::activated, &Context_,
                     [this] { Flush(); });
    QuietTimer_.setSingleShot(true);
    QuietTimer_.setInterval(ReadWithPicturesMs);
    QObject::connect(&QuietTimer_, &QTimer::timeout, &Context_, [this] {
        if (Lost_)
            return;
        ReadNotifier_->setEnabled(true);
        ReadEvents();
    });
    VisibilityTimer_.setInterval(HiddenAfterMs / 4);
    QObject::connect(&VisibilityTimer_, &QTimer::timeout, &Context_, [this] { CheckVisibility(); });
    // The first verdict comes from the event loop, once the caller has set its handlers.
    QTimer::singleShot(0, &Context_, [this] { CheckVisibility(); });
    return true;
}

void TLayerShellOutputs::AddGlobal(std::uint32_t global, const char* interface,
                                   std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(Registry_, global, type, std::min(version, highest));
    };
    const std::string name = interface;
    if (name == wl_compositor_interface.name && version >= 3 && !Compositor_) {
        Compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (name == wl_subcompositor_interface.name && !Subcompositor_) {
        Subcompositor_ = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (name == wp_viewporter_interface.name && !Viewporter_) {
        Viewporter_ = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (name == wl_shm_interface.name && !Shm_) {
        Shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (name == zwlr_layer_shell_v1_interface.name && !LayerShell_) {
        LayerShellVersion_ = std::min<std::uint32_t>(version, 3);
        LayerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
    } else if (name == wl_output_interface.name && version >= 2) {
        auto output = std::make_unique<TOutput>();
        output->Owner = this;
        output->Global = global;
        output->Version = std::min<std::uint32_t>(version, 4);
        output->Output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
        wl_output_add_listener(output->Output, &OutputListener, output.get());
        Outputs_.push_back(std::move(output));
        // Its surface comes with its first done event, once its scale is known.
    }
}

void TLayerShellOutputs::RemoveGlobal(std::uint32_t global) {
    const auto found = std::find_if(Outputs_.begin(), Outputs_.end(),
                                    [&](const auto& output) { return output->Global == global; });
    if (found == Outputs_.end())
        return;
    DestroySurface(**found);
    if ((*found)->Version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release((*found)->Output);
    else
        wl_output_destroy((*found)->Output);
    Outputs_.erase(found);
}

void TLayerShellOutputs::OutputDone(TOutput& output) {
    const bool rescaled = output.PendingScale != output.Scale;
    output.Scale = output.PendingScale;
    if (!Started_)
        return;
    if (!output.Surface)
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
    output.Surface = wl_compositor_create_surface(Compositor_);
    output.Layer = zwlr_layer_shell_v1_get_layer_surface(LayerShell_, output.Surface, output.Output,
                                                         WallpaperLayer(), "wallpaper");
    zwlr_layer_surface_v1_add_listener(output.Layer, &LayerListener, &output);
    zwlr_layer_surface_v1_set_size(output.Layer, 0, 0);
    zwlr_layer_surface_v1_set_anchor(
        output.Layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(output.Layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        output.Layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // The first commit carries no buffer: the compositor answers it with configure.
    wl_surface_commit(output.Surface);
}

void TLayerShellOutputs::DestroySurface(TOutput& output) {
    if (output.Frame) {
        wl_callback_destroy(output.Frame);
        output.Frame = nullptr;
    }
    for (TCell& cell : output.Cells) {
        if (cell.Viewport)
            wp_viewport_destroy(cell.Viewport);
        wl_subsurface_destroy(cell.Subsurface);
        wl_surface_destroy(cell.Surface);
    }
    output.Cells.clear();
    if (output.Viewport) {
        wp_viewport_destroy(output.Viewport);
        output.Viewport = nullptr;
    }
    if (output.Layer) {
        zwlr_layer_surface_v1_destroy(output.Layer);
        output.Layer = nullptr;
    }
    if (output.Surface) {
        wl_surface_destroy(output.Surface);
        output.Surface = nullptr;
    }
    ForgetBuffers(output);
    output.Configured = false;
    output.Layout = TPatternLayout{};
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
    // outputs changed), read now rather than on a wake-up of its own.
    if (ReadNotifier_) {
        ReadNotifier_->setEnabled(false);
        QuietTimer_.start();
        ReadEvents();
        if (Lost_)
            return;
    }
    for (auto& output : Outputs_)
        Draw(*output);
    Target_ = nullptr;
    TargetOutput_ = nullptr;
    Flush();
}

std::uint32_t* TLayerShellOutputs::PatternMemory(int width, int height, int& stride) {
    Target_ = nullptr;
    TargetOutput_ = nullptr;
    if (Lost_ || width <= 0 || height <= 0)
        return nullptr;
    // The first output whose buffer holds the whole pattern at its top-left corner; the
    // others copy it from there.
    for (auto& output : Outputs_) {
        if (!output->Configured)
            continue;
        const TPatternLayout layout = Layout(*output, width, height);
        if (layout.Columns == 0 || layout.BufferWidth < width || layout.BufferHeight < height)
            continue;
        if (!(layout == output->Layout))
            ApplyLayout(*output, layout);
        TBuffer* buffer = FreeBuffer(*output);
        if (!buffer)
            continue;
        Target_ = buffer;
        TargetOutput_ = output.get();
        stride = buffer->Width;
        return buffer->Pixels;
    }
    return nullptr;
}

void TLayerShellOutputs::Draw(TOutput& output) {
    if (!output.Configured || !Pattern_.Pixels)
        return;
    const TPatternLayout layout = Layout(output, Pattern_.Width, Pattern_.Height);
    if (layout.Columns == 0)
        return;
    if (!(layout == output.Layout))
        ApplyLayout(output, layout);
    TBuffer* buffer = &output == TargetOutput_ && Pattern_.Pixels == Target_->Pixels
                          ? Target_
                          : FreeBuffer(output);
    if (!buffer)
        return; // every buffer still held: this output skips one picture
    FillBuffer(*buffer);
    // The cells' new buffers take effect with their parent's commit, all at once.
    for (TCell& cell : output.Cells) {
        wl_surface_attach(cell.Surface, buffer->Buffer, 0, 0);
        wl_surface_damage(cell.Surface, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(cell.Surface);
    }
    wl_surface_attach(output.Surface, buffer->Buffer, 0, 0);
    wl_surface_damage(output.Surface, 0, 0, INT32_MAX, INT32_MAX);
    if (!output.Frame) {
        output.Frame = wl_surface_frame(output.Surface);
        wl_callback_add_listener(output.Frame, &FrameListener, &output);
        output.FrameAskedAt = TClock::now();
        if (!VisibilityTimer_.isActive())
            VisibilityTimer_.start();
    }
    wl_surface_commit(output.Surface);
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

void TLayerShellOutputs::ApplyLayout(TOutput& output, const TPatternLayout& layout) {
    ForgetBuffers(output);
    const std::size_t cells = static_cast<std::size_t>(layout.Columns) * layout.Rows - 1;
    while (output.Cells.size() > cells) {
        if (output.Cells.back().Viewport)
            wp_viewport_destroy(output.Cells.back().Viewport);
        wl_subsurface_destroy(output.Cells.back().Subsurface);
        wl_surface_destroy(output.Cells.back().Surface);
        output.Cells.pop_back();
    }
    while (output.Cells.size() < cells) {
        TCell cell;
        cell.Surface = wl_compositor_create_surface(Compositor_);
        cell.Subsurface =
            wl_subcompositor_get_subsurface(Subcompositor_, cell.Surface, output.Surface);
        output.Cells.push_back(cell);
    }
    wl_region* opaque = wl_compositor_create_region(Compositor_);
    wl_region_add(opaque, 0, 0, layout.CellWidth(), layout.CellHeight());
    // At a fractional scale a buffer pixel is a physical pixel through a viewport of the
    // cell's size; at a whole one the buffer scale says so and no viewport is needed.
    const int bufferScale = layout.Units > 1 ? 1 : layout.Scale;
    const auto size = [&](wl_surface* surface, wp_viewport*& viewport) {
        wl_surface_set_buffer_scale(surface, bufferScale);
        wl_surface_set_opaque_region(surface, opaque);
        if (layout.Units > 1 && !viewport)
            viewport = wp_viewporter_get_viewport(Viewporter_, surface);
        if (viewport)
            wp_viewport_set_destination(viewport, layout.Units > 1 ? layout.CellWidth() : -1,
                                        layout.Units > 1 ? layout.CellHeight() : -1);
    };
    size(output.Surface, output.Viewport);
    for (std::size_t i = 0; i < cells; ++i) {
        const int place = static_cast<int>(i) + 1;
        TCell& cell = output.Cells[i];
        wl_subsurface_set_position(cell.Subsurface, place % layout.Columns * layout.CellWidth(),
                                   place / layout.Columns * layout.CellHeight());
        size(cell.Surface, cell.Viewport);
    }
    wl_region_destroy(opaque);
    output.Layout = layout;
}

void TLayerShellOutputs::ForgetBuffers(TOutput& output) {
    // The pattern outlives the buffer it was made in.
    for (const auto& buffer : output.Buffers)
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
    output.Buffers.clear();
}

TBuffer* TLayerShellOutputs::FreeBuffer(TOutput& output) {
    // Never the one the pattern is in: it is kept until the next Show.
    for (auto& buffer : output.Buffers)
        if (!buffer->Busy && buffer->Pixels != Pattern_.Pixels)
            return buffer.get();
    if (output.Buffers.size() >= BuffersPerOutput)
        return nullptr;
    auto buffer = CreateBuffer(output.Layout.BufferWidth, output.Layout.BufferHeight);
    if (!buffer)
        return nullptr;
    output.Buffers.push_back(std::move(buffer));
    return output.Buffers.back().get();
}

std::unique_ptr<TBuffer> TLayerShellOutputs::CreateBuffer(int width, int height) {
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (bytes > INT32_MAX)
        return nullptr;
    const int fd = memfd_create("ombrix-live", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* pixels = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    auto buffer = std::make_unique<TBuffer>();
    buffer->Pixels = static_cast<std::uint32_t*>(pixels);
    buffer->Bytes = bytes;
    buffer->Width = width;
    buffer->Height = height;
    wl_shm_pool* pool = wl_shm_create_pool(Shm_, fd, static_cast<std::int32_t>(bytes));
    buffer->Buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->Buffer, &BufferListener, buffer.get());
    return buffer;
}

void TLayerShellOutputs::FillBuffer(TBuffer& buffer) const {
    // The first pattern height of rows repeats the pattern across; the rows below copy
    // those.
    // A pattern made in the buffer is in place already.
    const bool inPlace = Pattern_.Pixels == buffer.Pixels;
    const int firstRows = std::min(buffer.Height, Pattern_.Height);
    const std::size_t width = static_cast<std::size_t>(buffer.Width);
    for (int y = 0; y < firstRows; ++y) {
        const std::uint32_t* source =
            Pattern_.Pixels + static_cast<std::size_t>(y) * Pattern_.Stride;
        std::uint32_t* row = buffer.Pixels + y * width;
        for (int x = inPlace ? Pattern_.Width : 0; x < buffer.Width; x += Pattern_.Width)
            std::memcpy(row + x, source,
                        static_cast<std::size_t>(std::min(Pattern_.Width, buffer.Width - x)) * 4);
    }
    for (int y = firstRows; y < buffer.Height; y += firstRows) {
        const int rows = std::min(firstRows, buffer.Height - y);
        std::memcpy(buffer.Pixels + y * width, buffer.Pixels, rows * width * 4);
    }
}

void TLayerShellOutputs::FrameDone(TOutput& output) {
    wl_callback_destroy(output.Frame);
    output.Frame = nullptr;
}

bool TLayerShellOutputs::Roundtrip(std::string& reason) {
    bool answered = false;
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
    };
    wl_callback* sync = wl_display_sync(Display_);
    wl_callback_add_listener(sync, &listener, &answered);
    const auto deadline = TClock::now() + std::chrono::milliseconds(AnswerTimeoutMs);
    const auto fail = [&](const std::string& why) {
        wl_callback_destroy(sync);
        reason = why;
        return false;
    };
    while (!answered) {
        if (wl_display_dispatch_pending(Display_) < 0)
            return fail(FailureMessage());
        if (answered)
            break;
        if (wl_display_prepare_read(Display_) != 0)
            continue;
        if (wl_display_flush(Display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(Display_);
            return fail(FailureMessage());
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
        pollfd watched{wl_display_get_fd(Display_), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&watched, 1, static_cast<int>(left.count())) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(Display_);
            if (ready < 0 && errno == EINTR)
                continue;
            return fail("the Wayland compositor on " + DisplayName() + " did not answer within " +
                        std::to_string(AnswerTimeoutMs / 1000) + " s");
        }
        if (wl_display_read_events(Display_) < 0)
            return fail(FailureMessage());
    }
    wl_callback_destroy(sync);
    return true;
}

void TLayerShellOutputs::ReadEvents() {
    if (Lost_)
        return;
    while (wl_display_prepare_read(Display_) != 0)
        if (wl_display_dispatch_pending(Display_) < 0)
            return Fail();
    if (wl_display_read_events(Display_) < 0 || wl_display_dispatch_pending(Display_) < 0)
        return Fail();
    CheckVisibility();
    Flush();
}

void TLayerShellOutputs::Flush() {
    if (Lost_)
        return;
    if (wl_display_flush(Display_) >= 0) {
        if (WriteNotifier_)
            WriteNotifier_->setEnabled(false);
        return;
    }
    if (errno == EAGAIN) {
        // The socket is full: the rest goes when it can take more.
        if (WriteNotifier_)
            WriteNotifier_->setEnabled(true);
        return;
    }
    Fail();
}

void TLayerShellOutputs::Fail() {
    if (Lost_)
        return;
    Lost_ = true;
    if (ReadNotifier_)
        ReadNotifier_->setEnabled(false);
    if (WriteNotifier_)
        WriteNotifier_->setEnabled(false);
    VisibilityTimer_.stop();
    QuietTimer_.stop();
    // Called from the event loop, so the handler may delete the adapter.
    QTimer::singleShot(0, &Context_, [this, message = FailureMessage()] {
        if (Lost)
            Lost(message);
    });
}

std::string TLayerShellOutputs::FailureMessage() const {
    const int error = wl_display_get_error(Display_);
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(Display_, &interface, &id);
        return "the Wayland compositor on " + DisplayName() + " refused ombrix-live (error " +
               std::to_string(code) + " on " + (interface ? interface->name : "unknown object") +
               ")";
    }
    return "lost the connection to the Wayland compositor on " + DisplayName() + " (" +
           std::strerror(error ? error : EPIPE) + ")";
}

void TLayerShellOutputs::CheckVisibility() {
    const auto now = TClock::now();
    bool seen = false;
    bool waiting = false;
    for (const auto& output : Outputs_) {
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
    if (!waiting)
        VisibilityTimer_.stop();
    if (seen == Visible_)
        return;
    Visible_ = seen;
    if (VisibilityChanged)
        VisibilityChanged(seen);
}

} // namespace

std::unique_ptr<TLiveOutputs> OpenLayerShell(std::string& reason) {
    // libwayland's own lines ("Error sending request: Broken pipe") say less than the
    // message Lost carries.
    wl_log_set_handler_client([](const char*, va_list) {});
    const std::string name = DisplayName();
    if (name.empty()) {
        reason = "WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        reason =
            "cannot connect to the Wayland display " + name + " (" + std::strerror(errno) + ")";
        return nullptr;
    }
    auto outputs = std::make_unique<TLayerShellOutputs>(display);
    if (!outputs->Start(reason))
        return nullptr;
    return outputs;
}

} // namespace ombrix
