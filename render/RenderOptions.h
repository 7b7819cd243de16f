// The command line of ombrix-render: the shared options of the window's start (see
// CommandLine.h) and the renderer's own. ParseRenderOptions checks every option's form and
// range and throws TUsageError with one line naming the option and what it takes; the
// caller prints it and exits with status 2. Nothing here touches a file or the display.
#pragma once

#include "CommandLine.h"
#include "FieldView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix {

/// The output's format, by the file name's ending; WebP and GIF are animations.
enum class TPictureFormat { Png, Bmp, Webp, Gif };

inline bool IsAnimation(TPictureFormat format) {
    return format == TPictureFormat::Webp || format == TPictureFormat::Gif;
}

/// What the output picture is: the tile (the double-height composite for the shifted
/// tiling, as the window's Save writes it), a wall of given pixels, or a wall as large
/// as the primary screen.
enum class TOutputKind { Tile, Wall, Screen };

/// The --output name that means standard output.
inline constexpr std::string_view StandardOutput = "-";

struct TRenderOptions : TStartOptions {
    std::string Output;
    TPictureFormat Format = TPictureFormat::Png;
    TGeneration Generations = 300;
    TOutputKind Kind = TOutputKind::Tile;
    TPictureSize WallSize{0, 0}; ///< only for TOutputKind::Wall
    std::optional<std::string> FramesDir;
    std::int32_t Every = 1;
    std::optional<std::int32_t> Delay; ///< ms; nothing: the settings' speed, at least 20
    std::int32_t Loop = 0;             ///< plays, 0 = for ever
    bool SetWallpaper = false;
    bool RestoreWallpaper = false; ///< alone (or with --quiet): no picture is made
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
