// The command line of ombrix-render. ParseRenderOptions checks every option's form and
// range and throws TUsageError with one line naming the option and what it takes; the
// caller prints it and exits with status 2. Nothing here touches a file or the display.
#pragma once

#include "FieldModel.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ombrix {

/// A wrong command line: the message names the option and what is allowed.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The largest field and the largest wall picture, in cells and pixels per side.
inline constexpr int MaxRenderSide = 16384;

enum class TPictureFormat { Png, Bmp };

/// What the output picture is: the tile (the double-height composite for the shifted
/// tiling, as the window's Save writes it), a wall of given pixels, or a wall as large
/// as the primary screen.
enum class TOutputKind { Tile, Wall, Screen };

struct TPictureSize {
    int Width;
    int Height;
    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

struct TRule {
    std::int32_t PrmG;
    std::int32_t PrmK1;
    std::int32_t PrmK2;
    friend bool operator==(const TRule&, const TRule&) = default;
};

/// The stamp text's font as given by --font "FAMILY,POINTS[,bold][,italic]".
struct TFontSpec {
    std::string Family;
    int Points;
    bool Bold;
    bool Italic;
    friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

struct TRenderOptions {
    std::string Output;
    TPictureFormat Format = TPictureFormat::Png;
    std::optional<std::string> SettingsFile;
    std::int32_t Generations = 300;
    std::uint32_t Seed = 0;
    std::optional<TPictureSize> Field;
    std::optional<std::int32_t> States;
    std::optional<std::int32_t> Segments;
    std::optional<std::int32_t> Tiling;
    std::optional<TRule> Rule;
    bool RandomizeColors = false;
    std::optional<std::string> Text;
    std::optional<TFontSpec> Font;
    std::optional<TColor> TextColor; ///< 0x00BBGGRR
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
