// The start both command-line programs share with the window: the settings file read as
// the window reads it, the command line's changes, the field seeded from the random
// source, the colours drawn anew on request and the text stamped. ombrix-render and
// ombrix-live call StartAsTheWindow and step the field they get; from the same options
// and file, generation G of either is the window's generation G.
#pragma once

#include "CommandLine.h"
#include "FieldModel.h"
#include "FieldView.h"
#include "PixelImage.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ombrix {

/// The model (parameters, colour table; its own small field unused) and the field the
/// generations run on, of --field's size or the settings' AreaW × AreaH.
struct TStartedField {
    std::unique_ptr<TFieldModel> Model;
    TLargeField Field;
    /// The settings' Speed: the window's milliseconds between two generations.
    std::int32_t Speed = 1000;

    /// One generation, on every hardware thread.
    void Step() { StepField(Field, RuleOf(*Model)); }
    /// The field as the window's tile shows it: one pixel per cell.
    TPixelImage Tile();
};

/// The settings file that the window program in the same folder as this program reads.
std::string WindowSettingsPath();

/// The largest settings file the command-line programs read; the window's own takes a few
/// kilobytes, with many profiles some hundreds.
inline constexpr std::int64_t MaxSettingsSize = 4 << 20;

/// Throws std::runtime_error naming the file and its size when it holds more than
/// MaxSettingsSize bytes, before anything reads it; a missing file passes.
void CheckSettingsSize(const std::string& path);

/// For --seed random: draws options.Seed from the system's random source, clears
/// RandomSeed and returns true; the program then says the seed, so that the start can be
/// made again. False, and nothing changed, without --seed random. Throws
/// std::runtime_error when the source cannot be read.
bool DrawRandomSeed(TStartOptions& options);

/// Starts from `settingsPath` (missing: the window's defaults) with `options`. Needs a
/// QGuiApplication when options.Text is set (fonts). Throws TUsageError for a setting out
/// of range once the file is read (--segments above its number of states) and for a font
/// family that is not installed (naming the closest ones), std::runtime_error naming the
/// file and the system's reason when the settings file exists but cannot be read (a
/// folder, a FIFO, a device, no right to read, a loop of links), and std::bad_alloc when
/// the field's memory cannot be had.
/// With RandomSeed still set, draws the seed itself (see DrawRandomSeed).
TStartedField StartAsTheWindow(const TStartOptions& options, const std::string& settingsPath);

/// `picture` with every pixel drawn as zoom × zoom pixels (zoom 1..MaxZoom). Throws
/// std::bad_alloc when the memory cannot be had.
TPixelImage Zoomed(const TPixelImage& picture, int zoom);

/// A width × height picture covered from its top-left corner with `pattern` (as
/// WallPattern gives it), every pattern pixel drawn as zoom × zoom pixels: pixel (x, y)
/// is pattern pixel ((x mod zoom·W) div zoom, (y mod zoom·H) div zoom). Throws as
/// TPixelImage::SetSize does.
TPixelImage ZoomedWall(const TPixelImage& pattern, int zoom, int width, int height);

} // namespace ombrix
