#include "ToplevelOutputs.h"

#include "WaylandOutputs.h"
#include "xdg-shell-client-protocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ombrix {

namespace {

/// Buffers of the window: one shown, one on its way, one to write.
constexpr std::size_t Buffers = 3;

std::string DisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name && *name ? name : "the shell's own socket";
}

class TToplevelOutputs final : public TWaylandOutputs {
public:
    explicit TToplevelOutputs(wl_display* display)
        : TWaylandOutputs(display, DisplayName(), false) {}
    ~TToplevelOutputs() override;

    bool Start(std::string& reason);
    void Show(const TLivePattern& pattern) override;
    std::string Name() const override { return "a window for the GNOME Shell extension"; }

private:
    void AddGlobal(std::uint32_t global, const std::string& name, std::uint32_t version) override;
    const char* MissingGlobal() const override {
        return WmBase_ ? nullptr : "xdg-shell (xdg_wm_base)";
    }
    // The window follows the largest output.
    void OutputDone(TWaylandOutput& output) override {
        output.Scale = output.PendingScale;
        Draw();
    }
    void OutputGone(TWaylandOutput&) override { Draw(); }
    void BufferReleased() override {
        if (Skipped_)
            Draw();
    }
    void Draw();

    static const xdg_wm_base_listener WmBaseListener;
    static const xdg_surface_listener SurfaceListener;
    static const xdg_toplevel_listener ToplevelListener;

    xdg_wm_base* WmBase_ = nullptr;
    TPatternSurfaces Window_; ///< the window's surface and its cells
    xdg_surface* XdgSurface_ = nullptr;
    xdg_toplevel* Toplevel_ = nullptr;
    bool Configured_ = false;
    /// A picture was skipped while every buffer was held: drawn when one comes back, so
    /// that a paused program still shows its last generation.
    bool Skipped_ = false;

    std::vector<std::uint32_t> Pattern_;
    int PatternWidth_ = 0;
    int PatternHeight_ = 0;
};

const xdg_wm_base_listener TToplevelOutputs::WmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

const xdg_surface_listener TToplevelOutputs::SurfaceListener = {
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
        auto* self = static_cast<TToplevelOutputs*>(data);
        if (!self->Configured_) {
            self->Configured_ = true;
            self->Draw();
        }
    },
};

// The window keeps the size it chose: the shell shows it only through its clones. Closing
// is the extension's to do, over the bus.
const xdg_toplevel_listener TToplevelOutputs::ToplevelListener = {
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t, wl_array*) {},
    [](void*, xdg_toplevel*) {},
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

TToplevelOutputs::~TToplevelOutputs() {
    DestroyCells(Window_);
    if (Toplevel_)
        xdg_toplevel_destroy(Toplevel_);
    if (XdgSurface_)
        xdg_surface_destroy(XdgSurface_);
    if (Window_.Surface)
        wl_surface_destroy(Window_.Surface);
    Window_.Buffers.clear();
    if (WmBase_)
        xdg_wm_base_destroy(WmBase_);
}

bool TToplevelOutputs::Start(std::string& reason) {
    if (!Bind(reason))
        return false;
    Window_.Surface = wl_compositor_create_surface(Compositor_);
    XdgSurface_ = xdg_wm_base_get_xdg_surface(WmBase_, Window_.Surface);
    xdg_surface_add_listener(XdgSurface_, &SurfaceListener, this);
    Toplevel_ = xdg_surface_get_toplevel(XdgSurface_);
    xdg_toplevel_add_listener(Toplevel_, &ToplevelListener, this);
    xdg_toplevel_set_title(Toplevel_, ToplevelAppId);
    xdg_toplevel_set_app_id(Toplevel_, ToplevelAppId);
    wl_surface_commit(Window_.Surface);
    if (!Roundtrip(reason))
        return false;
    Watch();
    return true;
}

void TToplevelOutputs::AddGlobal(std::uint32_t global, const std::string& name,
                                 std::uint32_t version) {
    if (name == xdg_wm_base_interface.name && !WmBase_) {
        WmBase_ = static_cast<xdg_wm_base*>(
            wl_registry_bind(Registry_, global, &xdg_wm_base_interface, std::min(version, 1u)));
        xdg_wm_base_add_listener(WmBase_, &WmBaseListener, this);
    }
}

void TToplevelOutputs::Show(const TLivePattern& pattern) {
    if (Lost_ || pattern.Width <= 0 || pattern.Height <= 0 || !pattern.Pixels)
        return;
    ReadWithPattern();
    if (Lost_)
        return;
    PatternWidth_ = pattern.Width;
    PatternHeight_ = pattern.Height;
    Pattern_.resize(static_cast<std::size_t>(pattern.Width) * pattern.Height);
    for (int y = 0; y < pattern.Height; ++y)
        std::memcpy(Pattern_.data() + static_cast<std::size_t>(y) * pattern.Width,
                    pattern.Pixels + static_cast<std::size_t>(y) * pattern.Stride,
                    static_cast<std::size_t>(pattern.Width) * sizeof(std::uint32_t));
    Draw();
    Flush();
}

void TToplevelOutputs::Draw() {
    if (!Configured_ || Pattern_.empty() || Lost_)
        return;
    // The largest output in physical pixels, at the highest scale, in surface-local units.
    int scale = 1;
    int width = 0;
    int height = 0;
    for (const auto& output : Outputs_) {
        scale = std::max(scale, output->Scale);
        width = std::max(width, output->ModeWidth);
        height = std::max(height, output->ModeHeight);
    }
    const TPatternLayout layout =
        LayOutPattern(PatternWidth_, PatternHeight_, scale, (width + scale - 1) / scale,
                      (height + scale - 1) / scale);
    if (layout.Columns == 0)
        return;
    if (!(layout == Window_.Layout))
        ApplyLayout(Window_, layout);
    TShmBuffer* buffer = FreeBuffer(Window_, Buffers, nullptr);
    Skipped_ = !buffer;
    if (!buffer)
        return;
    FillBuffer(*buffer, {PatternWidth_, PatternHeight_, PatternWidth_, Pattern_.data()});
    Attach(Window_, *buffer);
    wl_surface_commit(Window_.Surface);
    buffer->Busy = true;
}

} // namespace

std::unique_ptr<TLiveOutputs> OpenToplevel(std::string& reason) {
    const char* socket = std::getenv("WAYLAND_SOCKET");
    const char* named = std::getenv("WAYLAND_DISPLAY");
    if (!(socket && *socket) && !(named && *named)) {
        reason = "neither WAYLAND_SOCKET nor WAYLAND_DISPLAY is set";
        return nullptr;
    }
    return OpenWayland<TToplevelOutputs>(DisplayName(), reason);
}

} // namespace ombrix
