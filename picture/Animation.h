// Animated pictures: lossless animated WebP and GIF, written frame by frame as the
// generations come. A writer takes frames of one size; nothing appears under the file's
// name before Finish, which puts the whole file in place through the safe replacement,
// so a run stopped on the way (Ctrl-C, a failure) leaves no part of a file. A writer
// dropped without Finish discards what it has encoded.
//
// Memory: the GIF writer keeps the previous frame and spools its encoded bytes to an
// unnamed file; the WebP writer keeps the library's few canvases and, as libwebp's
// animation encoder does, the encoded frames until the file is assembled.
#pragma once

#include "PixelImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ombrix {

enum class TAnimationFormat { Webp, Gif };

/// The shortest and longest time a frame is shown, in milliseconds.
inline constexpr std::int32_t MinFrameDelay = 20;
inline constexpr std::int32_t MaxFrameDelay = 60000;
/// The most plays an animation can ask for; 0 plays it forever.
inline constexpr std::int32_t MaxLoopCount = 65535;
/// The longest side of a WebP picture.
inline constexpr int MaxWebpSide = 16383;

struct TAnimationLayout {
    int Width = 0;            ///< of every frame
    int Height = 0;           ///< of every frame
    std::int32_t Delay = 100; ///< ms each frame is shown, MinFrameDelay..MaxFrameDelay
    std::int32_t Loop = 0;    ///< how often it plays, 0 = forever, up to MaxLoopCount
    /// Every colour a frame may hold, at most 256 different ones (GIF only: its colour map
    /// holds these, in this order, padded to a power of two).
    std::vector<TColor> Colors;
};

class TAnimationWriter {
public:
    explicit TAnimationWriter(std::string path) : Path_(std::move(path)) {}
    virtual ~TAnimationWriter() = default;
    /// The file the animation is for.
    const std::string& Path() const { return Path_; }
    /// Encodes the next frame, which has the layout's size. Throws std::invalid_argument
    /// for a frame of another size (or, for GIF, a colour outside the layout's colours),
    /// TError (TFailure::WriteFile, the animation's file) when spooling fails, and
    /// std::runtime_error when the encoder fails.
    virtual void Add(const TPixelImage& frame) = 0;
    /// Ends the animation and hands the whole file's bytes to `write`, once, which puts
    /// them in place (and throws what it likes when it cannot); at least one frame must
    /// have been added. Throws std::runtime_error with what the encoder reports.
    virtual void FinishInto(const std::function<void(std::string_view bytes)>& write) = 0;
    /// FinishInto Path() through the safe replacement. Throws TError as SavePng does.
    void Finish();

private:
    std::string Path_;
};

/// A lossless animated WebP (every pixel exact), or a GIF with one global colour map.
std::unique_ptr<TAnimationWriter> NewWebpWriter(const std::string& path,
                                                const TAnimationLayout& layout);
std::unique_ptr<TAnimationWriter> NewGifWriter(const std::string& path,
                                               const TAnimationLayout& layout);

/// A writer for `path` in `format`. Throws std::invalid_argument for a layout out of range
/// (sizes, delay, loop, colours), std::runtime_error when the encoder cannot start.
std::unique_ptr<TAnimationWriter> NewAnimationWriter(TAnimationFormat format,
                                                     const std::string& path,
                                                     const TAnimationLayout& layout);

/// Throws std::invalid_argument naming what in `layout` is out of range for a format whose
/// sides are at most `maxSide`.
void CheckAnimationLayout(const TAnimationLayout& layout, int maxSide);

/// The different colours of `table`'s first `count` entries, in table order.
std::vector<TColor> DistinctColors(const TColor* table, int count);

/// The GIF delay for `ms` milliseconds: hundredths of a second, rounded half up.
int GifDelay(std::int32_t ms);

/// About the most memory the writer and the frame it is given take at once, in bytes,
/// for width × height frames (not counting encoded data).
std::uint64_t AnimationWorkingBytes(TAnimationFormat format, int width, int height);

/// The memory the system can give without swapping (MemAvailable), if it says.
std::optional<std::uint64_t> AvailableMemory();

/// Throws std::runtime_error with one line saying why `frames` frames of width × height
/// cannot be written in `format` (a side too long for the format, a WebP animation longer
/// than its 32-bit clock, working memory above `available`); returns otherwise.
void CheckAnimationFits(TAnimationFormat format, int width, int height, std::int64_t frames,
                        std::int32_t delay, std::optional<std::uint64_t> available);

} // namespace ombrix
