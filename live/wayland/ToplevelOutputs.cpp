#include "ToplevelOutputs.h"

#include "PatternLayout.h"
#include "xdg-shell-client-protocol.h"

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
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ombrix {

namespace {

using TClock = std::chrono::steady_clock;

constexpr int AnswerTimeoutMs = 5000;
/// Buffers of the window: one shown, one on its way, one to write.
constexpr std::size_t Buffers = 3;

std::string DisplayName() {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return name && *name ? name : "the shell's own socket";
}

class TToplevelOutputs;

struct TBuffer {
    TToplevelOutputs* Owner = nullptr;
    wl_buffer* Buffer = nullptr;
    std::uint32_t* Pixels = nullptr;
    std::size_t Bytes = 0;
    bool Busy = false;

    TBuffer() = default;
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;
    ~TBuffer() {
        if (Buffer)
            wl_buffer_destroy(Buffer);
        if (Pixels)
            munmap(Pixels, Bytes);
    }
};

struct TCell {
    wl_surface* Surface = nullptr;
    wl_subsurface* Subsurface = nullptr;
};

struct TOutput {
    TToplevelOutputs* Owner = nullptr;
    std::uint32_t Global = 0;
    std::uint32_t Version = 0;
    wl_output* Output = nullptr;
    int Scale = 1;
    int ModeWidth = 0;
    int ModeHeight = 0;
};

class TToplevelOutputs final : public TLiveOutputs {
public:
    explicit TToplevelOutputs(wl_display* display) : Display_(display) {}
    ~TToplevelOutputs() override;

    bool Start(std::string& reason);
    void Show(const TLivePattern& pattern) override;
    std::string Name() const override { return "a window for the GNOME Shell extension"; }

private:
    void AddGlobal(std::uint32_t global, const char* interface, std::uint32_t version);
    void RemoveGlobal(std::uint32_t global);
    void Draw();
    void ApplyLayout(const TPatternLayout& layout);
    TBuffer* FreeBuffer();
    void FillBuffer(TBuffer& buffer) const;
    void Released(TBuffer& buffer);

    bool Roundtrip(std::string& reason);
    void ReadEvents();
    void Flush();
    void Fail();
    std::string FailureMessage() const;

    static const wl_registry_listener RegistryListener;
    static const wl_output_listener OutputListener;
    static const xdg_wm_base_listener WmBaseListener;
    static const xdg_surface_listener SurfaceListener;
    static const xdg_toplevel_listener ToplevelListener;
    static const wl_buffer_listener BufferListener;

    wl_display* Display_;
    wl_registry* Registry_ = nullptr;
    wl_compositor* Compositor_ = nullptr;
    wl_subcompositor* Subcompositor_ = nullptr;
    wl_shm* Shm_ = nullptr;
    xdg_wm_base* WmBase_ = nullptr;
    std::vector<std::unique_ptr<TOutput>> Outputs_;

    wl_surface* Surface_ = nullptr;
    xdg_surface* XdgSurface_ = nullptr;
    xdg_toplevel* Toplevel_ = nullptr;
    bool Configured_ = false;
    std::vector<TCell> Cells_;
    TPatternLayout Layout_;
    std::vector<std::unique_ptr<TBuffer>> Buffers_;
    bool Lost_ = false;
    /// A picture was skipped while every buffer was held: drawn when one comes back, so
    /// that a paused program still shows its last generation.
    bool Skipped_ = false;

    std::vector<std::uint32_t> Pattern_;
    int PatternWidth_ = 0;
    int PatternHeight_ = 0;

    QObject Context_;
    std::unique_ptr<QSocketNotifier> ReadNotifier_;
    std::unique_ptr<QSocketNotifier> WriteNotifier_;
};

const wl_registry_listener TToplevelOutputs::RegistryListener = {
    [](void* data, wl_registry*, std::uint32_t global, const char* interface,
       std::uint32_t version) {
        static_cast<TToplevelOutputs*>(data)->AddGlobal(global, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t global) {
        static_cast<TToplevelOutputs*>(data)->RemoveGlobal(global);
    },
};

const wl_output_listener TToplevelOutputs::OutputListener = {
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
       const char*, const char*, std::int32_t) {},
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            auto* output = static_cast<TOutput*>(data);
            output->ModeWidth = width;
            output->ModeHeight = height;
        }
    },
    // done: the window follows the largest output.
    [](void* data, wl_output*) { static_cast<TOutput*>(data)->Owner->Draw(); },
    [](void* data, wl_output*, std::int32_t factor) {
        static_cast<TOutput*>(data)->Scale = std::max(1, factor);
    },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
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

const wl_buffer_listener TToplevelOutputs::BufferListener = {
    [](void* data, wl_buffer*) {
        auto* buffer = static_cast<TBuffer*>(data);
        buffer->Owner->Released(*buffer);
    },
};

TToplevelOutputs::~TToplevelOutputs() {
    ReadNotifier_.reset();
    WriteNotifier_.reset();
    for (TCell& cell : Cells_) {
        wl_subsurface_destroy(cell.Subsurface);
        wl_surface_destroy(cell.Surface);
    }
    if (Toplevel_)
        xdg_toplevel_destroy(Toplevel_);
    if (XdgSurface_)
        xdg_surface_destroy(XdgSurface_);
    if (Surface_)
        wl_surface_destroy(Surface_);
    Buffers_.clear();
    for (auto& output : Outputs_)
        if (output->Version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(output->Output);
        else
            wl_output_destroy(output->Output);
    if (WmBase_)
        xdg_wm_base_destroy(WmBase_);
    if (Shm_)
        wl_shm_destroy(Shm_);
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

bool TToplevelOutputs::Start(std::string& reason) {
    Registry_ = wl_display_get_registry(Display_);
    wl_registry_add_listener(Registry_, &RegistryListener, this);
    if (!Roundtrip(reason) || !Roundtrip(reason))
        return false;
    const char* missing = !Compositor_      ? "wl_compositor version 3"
                          : !Subcompositor_ ? "wl_subcompositor"
                          : !Shm_           ? "wl_shm"
                          : !WmBase_        ? "xdg-shell (xdg_wm_base)"
                                            : nullptr;
    if (missing) {
        reason = "the Wayland compositor on " + DisplayName() + " has no " + missing;
        return false;
    }
    Surface_ = wl_compositor_create_surface(Compositor_);
    XdgSurface_ = xdg_wm_base_get_xdg_surface(WmBase_, Surface_);
    xdg_surface_add_listener(XdgSurface_, &SurfaceListener, this);
    Toplevel_ = xdg_surface_get_toplevel(XdgSurface_);
    xdg_toplevel_add_listener(Toplevel_, &ToplevelListener, this);
    xdg_toplevel_set_title(Toplevel_, ToplevelAppId);
    xdg_toplevel_set_app_id(Toplevel_, ToplevelAppId);
    wl_surface_commit(Surface_);
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
    return true;
}

void TToplevelOutputs::AddGlobal(std::uint32_t global, const char* interface,
                                 std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(Registry_, global, type, std::min(version, highest));
    };
    const std::string name = interface;
    if (name == wl_compositor_interface.name && version >= 3 && !Compositor_) {
        Compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (name == wl_subcompositor_interface.name && !Subcompositor_) {
        Subcompositor_ = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (name == wl_shm_interface.name && !Shm_) {
        Shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (name == xdg_wm_base_interface.name && !WmBase_) {
        WmBase_ = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(WmBase_, &WmBaseListener, this);
    } else if (name == wl_output_interface.name && version >= 2) {
        auto output = std::make_unique<TOutput>();
        output->Owner = this;
        output->Global = global;
        output->Version = std::min<std::uint32_t>(version, 4);
        output->Output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
        wl_output_add_listener(output->Output, &OutputListener, output.get());
        Outputs_.push_back(std::move(output));
    }
}

void TToplevelOutputs::RemoveGlobal(std::uint32_t global) {
    const auto found = std::find_if(Outputs_.begin(), Outputs_.end(),
                                    [&](const auto& output) { return output->Global == global; });
    if (found == Outputs_.end())
        return;
    if ((*found)->Version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release((*found)->Output);
    else
        wl_output_destroy((*found)->Output);
    Outputs_.erase(found);
    Draw();
}

void TToplevelOutputs::Show(const TLivePattern& pattern) {
    if (Lost_ || pattern.Width <= 0 || pattern.Height <= 0 || !pattern.Pixels)
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
    if (!(layout == Layout_))
        ApplyLayout(layout);
    TBuffer* buffer = FreeBuffer();
    Skipped_ = !buffer;
    if (!buffer)
        return;
    FillBuffer(*buffer);
    for (TCell& cell : Cells_) {
        wl_surface_attach(cell.Surface, buffer->Buffer, 0, 0);
        wl_surface_damage(cell.Surface, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(cell.Surface);
    }
    wl_surface_attach(Surface_, buffer->Buffer, 0, 0);
    wl_surface_damage(Surface_, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_commit(Surface_);
    buffer->Busy = true;
}

void TToplevelOutputs::ApplyLayout(const TPatternLayout& layout) {
    Buffers_.clear();
    const std::size_t cells = static_cast<std::size_t>(layout.Columns) * layout.Rows - 1;
    while (Cells_.size() > cells) {
        wl_subsurface_destroy(Cells_.back().Subsurface);
        wl_surface_destroy(Cells_.back().Surface);
        Cells_.pop_back();
    }
    while (Cells_.size() < cells) {
        TCell cell;
        cell.Surface = wl_compositor_create_surface(Compositor_);
        cell.Subsurface = wl_subcompositor_get_subsurface(Subcompositor_, cell.Surface, Surface_);
        Cells_.push_back(cell);
    }
    wl_region* opaque = wl_compositor_create_region(Compositor_);
    wl_region_add(opaque, 0, 0, layout.CellWidth(), layout.CellHeight());
    wl_surface_set_buffer_scale(Surface_, layout.Scale);
    wl_surface_set_opaque_region(Surface_, opaque);
    for (std::size_t i = 0; i < cells; ++i) {
        const int place = static_cast<int>(i) + 1;
        wl_subsurface_set_position(Cells_[i].Subsurface,
                                   place % layout.Columns * layout.CellWidth(),
                                   place / layout.Columns * layout.CellHeight());
        wl_surface_set_buffer_scale(Cells_[i].Surface, layout.Scale);
        wl_surface_set_opaque_region(Cells_[i].Surface, opaque);
    }
    wl_region_destroy(opaque);
    Layout_ = layout;
}

TBuffer* TToplevelOutputs::FreeBuffer() {
    for (auto& buffer : Buffers_)
        if (!buffer->Busy)
            return buffer.get();
    if (Buffers_.size() >= Buffers)
        return nullptr;
    const int width = Layout_.BufferWidth;
    const int height = Layout_.BufferHeight;
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
    buffer->Owner = this;
    buffer->Pixels = static_cast<std::uint32_t*>(pixels);
    buffer->Bytes = bytes;
    wl_shm_pool* pool = wl_shm_create_pool(Shm_, fd, static_cast<std::int32_t>(bytes));
    buffer->Buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->Buffer, &BufferListener, buffer.get());
    Buffers_.push_back(std::move(buffer));
    return Buffers_.back().get();
}

void TToplevelOutputs::FillBuffer(TBuffer& buffer) const {
    const int bufferWidth = Layout_.BufferWidth;
    const int bufferHeight = Layout_.BufferHeight;
    const int firstRows = std::min(bufferHeight, PatternHeight_);
    const std::size_t width = static_cast<std::size_t>(bufferWidth);
    for (int y = 0; y < firstRows; ++y) {
        const std::uint32_t* source = Pattern_.data() + static_cast<std::size_t>(y) * PatternWidth_;
        std::uint32_t* row = buffer.Pixels + y * width;
        for (int x = 0; x < bufferWidth; x += PatternWidth_)
            std::memcpy(row + x, source,
                        static_cast<std::size_t>(std::min(PatternWidth_, bufferWidth - x)) * 4);
    }
    for (int y = firstRows; y < bufferHeight; y += firstRows) {
        const int rows = std::min(firstRows, bufferHeight - y);
        std::memcpy(buffer.Pixels + y * width, buffer.Pixels, rows * width * 4);
    }
}

void TToplevelOutputs::Released(TBuffer& buffer) {
    buffer.Busy = false;
    if (Skipped_)
        Draw();
}

bool TToplevelOutputs::Roundtrip(std::string& reason) {
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

void TToplevelOutputs::ReadEvents() {
    if (Lost_)
        return;
    while (wl_display_prepare_read(Display_) != 0)
        if (wl_display_dispatch_pending(Display_) < 0)
            return Fail();
    if (wl_display_read_events(Display_) < 0 || wl_display_dispatch_pending(Display_) < 0)
        return Fail();
    Flush();
}

void TToplevelOutputs::Flush() {
    if (Lost_)
        return;
    if (wl_display_flush(Display_) >= 0) {
        if (WriteNotifier_)
            WriteNotifier_->setEnabled(false);
        return;
    }
    if (errno == EAGAIN) {
        if (WriteNotifier_)
            WriteNotifier_->setEnabled(true);
        return;
    }
    Fail();
}

void TToplevelOutputs::Fail() {
    if (Lost_)
        return;
    Lost_ = true;
    if (ReadNotifier_)
        ReadNotifier_->setEnabled(false);
    if (WriteNotifier_)
        WriteNotifier_->setEnabled(false);
    QTimer::singleShot(0, &Context_, [this, message = FailureMessage()] {
        if (Lost)
            Lost(message);
    });
}

std::string TToplevelOutputs::FailureMessage() const {
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

} // namespace

std::unique_ptr<TLiveOutputs> OpenToplevel(std::string& reason) {
    wl_log_set_handler_client([](const char*, va_list) {});
    const char* socket = std::getenv("WAYLAND_SOCKET");
    const char* named = std::getenv("WAYLAND_DISPLAY");
    if (!(socket && *socket) && !(named && *named)) {
        reason = "neither WAYLAND_SOCKET nor WAYLAND_DISPLAY is set";
        return nullptr;
    }
    const std::string name = DisplayName();
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        reason =
            "cannot connect to the Wayland display " + name + " (" + std::strerror(errno) + ")";
        return nullptr;
    }
    auto outputs = std::make_unique<TToplevelOutputs>(display);
    if (!outputs->Start(reason))
        return nullptr;
    return outputs;
}

} // namespace ombrix
