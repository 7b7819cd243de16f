// The command line of ombrix-render: the shared options of the window's start (see
// CommandLine.h) and the renderer's own. ParseRenderOptions checks every option's form and
// range and throws TUsageError with one line naming the option and what it takes; the
// caller prints it and exits with status 2. Nothing here touches a file or the display.
#pragma once

#include "CommandLine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ombrix {

enum class TPictureFormat { Png, Bmp };

/// What the output picture is: the tile (the double-height composite for the shifted
/// tiling, as the window's Save writes it), a wall of given pixels, or a wall as large
/// as the primary screen.
enum class TOutputKind { Tile, Wall, Screen };

struct TRenderOptions : TStartOptions {
    std::string Output;
    TPictureFormat Format = TPictureFormat::Png;
    std::int32_t Generations = 300;
    TOutputKind Kind = TOutputKind::Tile;
    TPictureSize WallSize{0, 0}; ///< only for TOutputKind::Wall
    std::optional<std::string> FramesDir;
    std::int32_t Every = 1;
    bool SetWallpaper = false;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
};

/// The options after the program name. With -h or -v nothing else is required.
/// Throws TUsageError.
TRenderOptions ParseRenderOptions(const std::vector<std::string>& args);

/// The text that --help prints.
std::string RenderUsage();

} // namespace ombrix
