#include "WaylandOutputs.h"

#include "SharedMemory.h"

#include "viewporter-client-protocol.h"

#include <QTimer>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstring>

namespace ombrix {

namespace {

using TClock = std::chrono::steady_clock;

/// How long the compositor may take to answer while the connection is being set up.
constexpr int AnswerTimeoutMs = 5000;

} // namespace

TShmBuffer::~TShmBuffer() {
    // Destroying a buffer the compositor holds is allowed as long as its memory is not
    // changed afterwards; unmapping does not change it.
    if (Buffer)
        wl_buffer_destroy(Buffer);
    if (Pixels)
        munmap(Pixels, Bytes);
}

const wl_registry_listener TWaylandOutputs::RegistryListener = {
    [](void* data, wl_registry*, std::uint32_t global, const char* interface,
       std::uint32_t version) {
        static_cast<TWaylandOutputs*>(data)->OnGlobal(global, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t global) {
        static_cast<TWaylandOutputs*>(data)->OnGlobalRemoved(global);
    },
};

const wl_output_listener TWaylandOutputs::OutputListener = {
    // geometry
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
       const char*, const char*, std::int32_t) {},
    // mode
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            auto* output = static_cast<TWaylandOutput*>(data);
            output->ModeWidth = width;
            output->ModeHeight = height;
        }
    },
    // done
    [](void* data, wl_output*) {
        auto* output = static_cast<TWaylandOutput*>(data);
        output->Owner->OutputDone(*output);
    },
    // scale
    [](void* data, wl_output*, std::int32_t factor) {
        static_cast<TWaylandOutput*>(data)->PendingScale = std::max(1, factor);
    },
    // name
    [](void* data, wl_output*, const char* name) {
        static_cast<TWaylandOutput*>(data)->Name = name;
    },
    // description
    [](void*, wl_output*, const char*) {},
};

const wl_buffer_listener TWaylandOutputs::BufferListener = {
    [](void* data, wl_buffer*) {
        auto* buffer = static_cast<TShmBuffer*>(data);
        buffer->Busy = false;
        buffer->Owner->BufferReleased();
    },
};

TWaylandOutputs::TWaylandOutputs(wl_display* display, std::string displayName, bool viewporter)
    : Display_(display), DisplayName_(std::move(displayName)), WantViewporter_(viewporter) {}

TWaylandOutputs::~TWaylandOutputs() {
    ReadNotifier_.reset();
    WriteNotifier_.reset();
    for (auto& output : Outputs_)
        Release(*output);
    Outputs_.clear();
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

bool TWaylandOutputs::Bind(std::string& reason) {
    Registry_ = wl_display_get_registry(Display_);
    wl_registry_add_listener(Registry_, &RegistryListener, this);
    // The first answer brings the globals, the second what the outputs tell of themselves.
    if (!Roundtrip(reason) || !Roundtrip(reason))
        return false;
    const char* missing = !Compositor_      ? "wl_compositor version 3"
                          : !Subcompositor_ ? "wl_subcompositor"
                          : !Shm_           ? "wl_shm"
                                            : MissingGlobal();
    if (missing) {
        reason = "the Wayland compositor on " + DisplayName_ + " has no " + missing;
        return false;
    }
    return true;
}

void TWaylandOutputs::OnGlobal(std::uint32_t global, const char* interface, std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(Registry_, global, type, std::min(version, highest));
    };
    const std::string name = interface;
    if (name == wl_compositor_interface.name && version >= 3 && !Compositor_) {
        Compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (name == wl_subcompositor_interface.name && !Subcompositor_) {
        Subcompositor_ = static_cast<wl_subcompositor*>(bind(&wl_subcompositor_interface, 1));
    } else if (name == wp_viewporter_interface.name && WantViewporter_ && !Viewporter_) {
        Viewporter_ = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (name == wl_shm_interface.name && !Shm_) {
        Shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (name == wl_output_interface.name && version >= 2) {
        auto output = NewOutput();
        output->Owner = this;
        output->Global = global;
        output->Version = std::min<std::uint32_t>(version, 4);
        output->Output = static_cast<wl_output*>(bind(&wl_output_interface, 4));
        wl_output_add_listener(output->Output, &OutputListener, output.get());
        Outputs_.push_back(std::move(output));
    } else {
        AddGlobal(global, name, version);
    }
}

void TWaylandOutputs::OnGlobalRemoved(std::uint32_t global) {
    const auto found = std::find_if(Outputs_.begin(), Outputs_.end(),
                                    [&](const auto& output) { return output->Global == global; });
    if (found == Outputs_.end())
        return;
    const std::unique_ptr<TWaylandOutput> output = std::move(*found);
    Outputs_.erase(found);
    OutputGone(*output);
    Release(*output);
}

void TWaylandOutputs::Release(TWaylandOutput& output) {
    if (output.Version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output.Output);
    else
        wl_output_destroy(output.Output);
}

void TWaylandOutputs::ApplyLayout(TPatternSurfaces& surfaces, const TPatternLayout& layout) {
    surfaces.Buffers.clear();
    const std::size_t cells = static_cast<std::size_t>(layout.Columns) * layout.Rows - 1;
    while (surfaces.Cells.size() > cells) {
        if (surfaces.Cells.back().Viewport)
            wp_viewport_destroy(surfaces.Cells.back().Viewport);
        wl_subsurface_destroy(surfaces.Cells.back().Subsurface);
        wl_surface_destroy(surfaces.Cells.back().Surface);
        surfaces.Cells.pop_back();
    }
    while (surfaces.Cells.size() < cells) {
        TPatternCell cell;
        cell.Surface = wl_compositor_create_surface(Compositor_);
        cell.Subsurface =
            wl_subcompositor_get_subsurface(Subcompositor_, cell.Surface, surfaces.Surface);
        surfaces.Cells.push_back(cell);
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
    size(surfaces.Surface, surfaces.Viewport);
    for (std::size_t i = 0; i < cells; ++i) {
        const int place = static_cast<int>(i) + 1;
        TPatternCell& cell = surfaces.Cells[i];
        wl_subsurface_set_position(cell.Subsurface, place % layout.Columns * layout.CellWidth(),
                                   place / layout.Columns * layout.CellHeight());
        size(cell.Surface, cell.Viewport);
    }
    wl_region_destroy(opaque);
    surfaces.Layout = layout;
}

void TWaylandOutputs::DestroyCells(TPatternSurfaces& surfaces) {
    for (TPatternCell& cell : surfaces.Cells) {
        if (cell.Viewport)
            wp_viewport_destroy(cell.Viewport);
        wl_subsurface_destroy(cell.Subsurface);
        wl_surface_destroy(cell.Surface);
    }
    surfaces.Cells.clear();
}

TShmBuffer* TWaylandOutputs::FreeBuffer(TPatternSurfaces& surfaces, std::size_t most,
                                        const std::uint32_t* keep) {
    for (auto& buffer : surfaces.Buffers)
        if (!buffer->Busy && buffer->Pixels != keep)
            return buffer.get();
    if (surfaces.Buffers.size() >= most)
        return nullptr;
    const int width = surfaces.Layout.BufferWidth;
    const int height = surfaces.Layout.BufferHeight;
    const std::size_t bytes = static_cast<std::size_t>(width) * height * 4;
    if (bytes > INT32_MAX)
        return nullptr;
    const TSharedMemory memory = MakeSharedMemory(bytes);
    if (memory.Fd < 0)
        return nullptr;
    auto buffer = std::make_unique<TShmBuffer>();
    buffer->Owner = this;
    buffer->Pixels = static_cast<std::uint32_t*>(memory.Pixels);
    buffer->Bytes = bytes;
    buffer->Width = width;
    buffer->Height = height;
    wl_shm_pool* pool = wl_shm_create_pool(Shm_, memory.Fd, static_cast<std::int32_t>(bytes));
    buffer->Buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(memory.Fd);
    wl_buffer_add_listener(buffer->Buffer, &BufferListener, buffer.get());
    surfaces.Buffers.push_back(std::move(buffer));
    return surfaces.Buffers.back().get();
}

void TWaylandOutputs::Attach(TPatternSurfaces& surfaces, TShmBuffer& buffer) {
    // The cells' new buffers take effect with their parent's commit, all at once.
    for (TPatternCell& cell : surfaces.Cells) {
        wl_surface_attach(cell.Surface, buffer.Buffer, 0, 0);
        wl_surface_damage(cell.Surface, 0, 0, INT32_MAX, INT32_MAX);
        wl_surface_commit(cell.Surface);
    }
    wl_surface_attach(surfaces.Surface, buffer.Buffer, 0, 0);
    wl_surface_damage(surfaces.Surface, 0, 0, INT32_MAX, INT32_MAX);
}

void FillBuffer(TShmBuffer& buffer, const TLivePattern& pattern) {
    // The first pattern height of rows repeats the pattern across; the rows below copy
    // those.
    const bool inPlace = pattern.Pixels == buffer.Pixels;
    const int firstRows = std::min(buffer.Height, pattern.Height);
    const std::size_t width = static_cast<std::size_t>(buffer.Width);
    for (int y = 0; y < firstRows; ++y) {
        const std::uint32_t* source = pattern.Pixels + static_cast<std::size_t>(y) * pattern.Stride;
        std::uint32_t* row = buffer.Pixels + y * width;
        for (int x = inPlace ? pattern.Width : 0; x < buffer.Width; x += pattern.Width)
            std::memcpy(row + x, source,
                        static_cast<std::size_t>(std::min(pattern.Width, buffer.Width - x)) * 4);
    }
    for (int y = firstRows; y < buffer.Height; y += firstRows) {
        const int rows = std::min(firstRows, buffer.Height - y);
        std::memcpy(buffer.Pixels + y * width, buffer.Pixels, rows * width * 4);
    }
}

void TWaylandOutputs::Watch() {
    const int fd = wl_display_get_fd(Display_);
    ReadNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(ReadNotifier_.get(), &QSocketNotifier::activated, &Context_,
                     [this] { ReadEvents(); });
    WriteNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    WriteNotifier_->setEnabled(false);
    QObject::connect(WriteNotifier_.get(), &QSocketNotifier::activated, &Context_,
                     [this] { Flush(); });
}

bool TWaylandOutputs::Roundtrip(std::string& reason) {
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
            return fail("the Wayland compositor on " + DisplayName_ + " did not answer within " +
                        std::to_string(AnswerTimeoutMs / 1000) + " s");
        }
        if (wl_display_read_events(Display_) < 0)
            return fail(FailureMessage());
    }
    wl_callback_destroy(sync);
    return true;
}

void TWaylandOutputs::ReadEvents() {
    if (Lost_)
        return;
    while (wl_display_prepare_read(Display_) != 0)
        if (wl_display_dispatch_pending(Display_) < 0)
            return Fail();
    if (wl_display_read_events(Display_) < 0 || wl_display_dispatch_pending(Display_) < 0)
        return Fail();
    EventsRead();
    Flush();
}

void TWaylandOutputs::Pace(int interval) {
    const bool withPatterns = interval > 0 && interval <= ReadWithPatternsMs;
    if (withPatterns == ReadWithPatterns_ || Lost_ || !ReadNotifier_)
        return;
    ReadWithPatterns_ = withPatterns;
    ReadNotifier_->setEnabled(!withPatterns);
    // Events read but not handled yet wake nobody: handled from the event loop, since the
    // caller may be handling events itself.
    if (!withPatterns)
        QTimer::singleShot(0, &Context_, [this] { ReadEvents(); });
}

void TWaylandOutputs::Flush() {
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

void TWaylandOutputs::Fail() {
    if (Lost_)
        return;
    Lost_ = true;
    if (ReadNotifier_)
        ReadNotifier_->setEnabled(false);
    if (WriteNotifier_)
        WriteNotifier_->setEnabled(false);
    Stopping();
    // Called from the event loop, so the handler may delete the adapter.
    QTimer::singleShot(0, &Context_, [this, message = FailureMessage()] {
        if (Lost)
            Lost(message);
    });
}

std::string TWaylandOutputs::FailureMessage() const {
    const int error = wl_display_get_error(Display_);
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(Display_, &interface, &id);
        return "the Wayland compositor on " + DisplayName_ + " refused ombrix-live (error " +
               std::to_string(code) + " on " + (interface ? interface->name : "unknown object") +
               ")";
    }
    return "lost the connection to the Wayland compositor on " + DisplayName_ + " (" +
           std::strerror(error ? error : EPIPE) + ")";
}

wl_display* ConnectWayland(const std::string& name, std::string& reason) {
    // libwayland's own lines ("Error sending request: Broken pipe") say less than the
    // message Lost carries.
    wl_log_set_handler_client([](const char*, va_list) {});
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        reason =
            "cannot connect to the Wayland display " + name + " (" + std::strerror(errno) + ")";
    return display;
}

} // namespace ombrix
