// One run of ombrix-render: the window's start (settings, random colours, seeded field)
// with the command line's changes, the generations, the frames and the picture. Every
// file is written whole through the safe replacement, so an interrupted run leaves the
// pictures it finished and no part of another.
#pragma once

#include "RenderOptions.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace ombrix {

/// The run was asked to stop (Ctrl-C) and stopped between two generations or files.
class TInterrupted : public std::runtime_error {
public:
    TInterrupted() : std::runtime_error("interrupted") {}
};

struct TRenderHooks {
    /// Called after the start and after every generation with the generations done.
    std::function<void(std::int32_t done, std::int32_t total)> Progress;
    /// Asked before every generation and every file; true stops the run (TInterrupted).
    std::function<bool()> Interrupted;
};

/// The settings file that the window program in the same folder as this program reads.
std::string WindowSettingsPath();

/// The name of frame `index` (0, 1, 2, ...) in `folder`: folder/frame-000000.png.
std::string FramePath(const std::string& folder, std::int32_t index);

/// Runs the whole render. `settingsPath` is the file to start from (missing: the
/// window's defaults). options.Kind must not be Screen: the caller turns that into Wall
/// with the screen's size. Throws TUsageError for a setting out of range after the
/// settings file is read (--segments above its number of states), std::runtime_error
/// with the program's message for a file that cannot be written, TInterrupted.
void RunRender(const TRenderOptions& options, const std::string& settingsPath,
               const TRenderHooks& hooks = {});

} // namespace ombrix
