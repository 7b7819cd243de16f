// Reading animated WebP and GIF files back with each format's own decoder (libwebp's
// animation decoder, giflib's DGifSlurp), into the frames a viewer shows and for how long.
#pragma once

#include "PixelImage.h"

#include <string>
#include <vector>

namespace ombrix::testing {

struct TDecodedAnimation {
    int Width = 0;
    int Height = 0;
    int Plays = -1; ///< how often it plays, 0 = forever
    /// The canvas after each stored frame, 0x00BBGGRR; a pixel that is not opaque gets
    /// 255 - alpha in the high byte, so it equals no TColor.
    std::vector<TPixelImage> Frames;
    std::vector<int> Durations; ///< ms each frame is shown
    /// GIF only: each frame's rectangle as stored (left, top, width, height) and the
    /// global colour map.
    struct TRect {
        int Left, Top, Width, Height;
        friend bool operator==(const TRect&, const TRect&) = default;
    };
    std::vector<TRect> Rects;
    std::vector<TColor> ColorMap;

    /// The frame shown at each multiple of `step` ms from 0, up to the end.
    std::vector<TPixelImage> Timeline(int step) const;
};

/// Decodes the file; throws std::runtime_error naming what the decoder refused.
TDecodedAnimation DecodeWebp(const std::string& path);
TDecodedAnimation DecodeGif(const std::string& path);

} // namespace ombrix::testing
