// What the two Wayland adapters (the layer shell's surfaces per output, the GNOME Shell
// extension's one window) have in common: the connection watched by the event loop, the
// globals they both bind, the outputs, shared-memory buffers of the pattern and the grid
// of subsurfaces that repeats one buffer over a surface (see PatternLayout.h). Each
// adapter adds its shell and decides which surface shows what.
#pragma once

#include "LiveOutputs.h"
#include "PatternLayout.h"

#include <QObject>
#include <QSocketNotifier>

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct wp_viewporter;
struct wp_viewport;

namespace ombrix {

class TWaylandOutputs;

/// One shared-memory buffer of XRGB8888 pixels (0xFFRRGGBB in memory order of the host,
/// as the pattern holds them).
struct TShmBuffer {
    TWaylandOutputs* Owner = nullptr;
    wl_buffer* Buffer = nullptr;
    std::uint32_t* Pixels = nullptr;
    std::size_t Bytes = 0;
    int Width = 0;
    int Height = 0;
    /// Attached and not yet released by the compositor: not to be written.
    bool Busy = false;

    TShmBuffer() = default;
    TShmBuffer(const TShmBuffer&) = delete;
    TShmBuffer& operator=(const TShmBuffer&) = delete;
    ~TShmBuffer();
};

/// A subsurface that shows the buffer at one place of the grid.
struct TPatternCell {
    wl_surface* Surface = nullptr;
    wl_subsurface* Subsurface = nullptr;
    wp_viewport* Viewport = nullptr; ///< at a fractional scale
};

/// A surface that shows the pattern: itself at grid place (0, 0), its cells at the others,
/// and the buffers they show.
struct TPatternSurfaces {
    wl_surface* Surface = nullptr;
    wp_viewport* Viewport = nullptr; ///< at a fractional scale
    std::vector<TPatternCell> Cells;
    TPatternLayout Layout;
    std::vector<std::unique_ptr<TShmBuffer>> Buffers;
};

/// One wl_output and what it tells of itself.
struct TWaylandOutput {
    virtual ~TWaylandOutput() = default;
    TWaylandOutputs* Owner = nullptr;
    std::uint32_t Global = 0;
    std::uint32_t Version = 0;
    wl_output* Output = nullptr;
    std::string Name;
    int Scale = 1;
    int PendingScale = 1;
    int ModeWidth = 0;
    int ModeHeight = 0;
};

class TWaylandOutputs : public TLiveOutputs {
public:
    /// `displayName` names the display in messages.
    TWaylandOutputs(wl_display* display, std::string displayName, bool viewporter);
    ~TWaylandOutputs() override;

    void Pace(int interval) override;

protected:
    /// Binds the globals and hears what the outputs tell; false with `reason` set when the
    /// compositor does not answer or lacks a global (the adapter's own: MissingGlobal).
    bool Bind(std::string& reason);
    /// Answers everything asked so far, waiting at most a few seconds.
    bool Roundtrip(std::string& reason);
    /// Watches the connection with the event loop.
    void Watch();
    void ReadEvents();
    /// Reads the events when they are read with each pattern (see Pace).
    void ReadWithPattern() {
        if (ReadWithPatterns_)
            ReadEvents();
    }
    void Flush();
    void Fail();
    std::string FailureMessage() const;

    // What each adapter adds.
    virtual void AddGlobal(std::uint32_t global, const std::string& name,
                           std::uint32_t version) = 0;
    /// The adapter's own global that is missing, or null.
    virtual const char* MissingGlobal() const = 0;
    virtual std::unique_ptr<TWaylandOutput> NewOutput() {
        return std::make_unique<TWaylandOutput>();
    }
    /// After a done event of `output`, its scale not yet taken from PendingScale.
    virtual void OutputDone(TWaylandOutput& output) = 0;
    /// `output` went: no longer in Outputs_, still bound.
    virtual void OutputGone(TWaylandOutput& output) = 0;
    virtual void BufferReleased() {}
    /// After the events read from the event loop were handled.
    virtual void EventsRead() {}
    /// The connection is lost: stop what else runs.
    virtual void Stopping() {}

    // The pattern on a grid of subsurfaces.
    /// Sets up the cells, scales and viewports of `surfaces` for `layout`; the buffers go.
    void ApplyLayout(TPatternSurfaces& surfaces, const TPatternLayout& layout);
    /// A buffer of `surfaces` the compositor does not hold, other than `keep`; made when
    /// there are fewer than `most`. Null when none is free or it cannot be made.
    TShmBuffer* FreeBuffer(TPatternSurfaces& surfaces, std::size_t most, const std::uint32_t* keep);
    /// Attaches `buffer` to every cell (committed) and to the surface (not committed yet).
    static void Attach(TPatternSurfaces& surfaces, TShmBuffer& buffer);
    static void DestroyCells(TPatternSurfaces& surfaces);

    wl_display* Display_;
    const std::string DisplayName_;
    wl_registry* Registry_ = nullptr;
    wl_compositor* Compositor_ = nullptr;
    wl_subcompositor* Subcompositor_ = nullptr;
    wl_shm* Shm_ = nullptr;
    wp_viewporter* Viewporter_ = nullptr;
    std::vector<std::unique_ptr<TWaylandOutput>> Outputs_;
    bool Lost_ = false;

    /// The receiver of queued calls: gone with the adapter, so none runs after it.
    QObject Context_;
    std::unique_ptr<QSocketNotifier> ReadNotifier_;
    std::unique_ptr<QSocketNotifier> WriteNotifier_;
    /// Patterns come often: the events are read with each, and ReadNotifier_ is off.
    bool ReadWithPatterns_ = false;

private:
    void OnGlobal(std::uint32_t global, const char* interface, std::uint32_t version);
    void OnGlobalRemoved(std::uint32_t global);
    static void Release(TWaylandOutput& output);

    static const wl_registry_listener RegistryListener;
    static const wl_output_listener OutputListener;
    static const wl_buffer_listener BufferListener;

    const bool WantViewporter_;
};

/// Repeats `pattern` over `buffer` from its top-left corner. A pattern made in the buffer
/// is in place already.
void FillBuffer(TShmBuffer& buffer, const TLivePattern& pattern);

/// Connects to the display libwayland finds in the environment; null with `reason` set.
wl_display* ConnectWayland(const std::string& name, std::string& reason);

/// Connects and starts the adapter `T` on the display called `name` in messages; null
/// with `reason` set.
template <class T>
std::unique_ptr<TLiveOutputs> OpenWayland(const std::string& name, std::string& reason) {
    wl_display* display = ConnectWayland(name, reason);
    if (!display)
        return nullptr;
    auto outputs = std::make_unique<T>(display);
    if (!outputs->Start(reason))
        return nullptr;
    return outputs;
}

} // namespace ombrix
