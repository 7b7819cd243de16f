// The 5 x 3 test picture of the file-format tests: every pixel different in every
// channel, red 0xA0 + 16y + x, green 0x50 + 16y + x, blue 16y + x (an odd width, so BMP
// rows carry padding).
#pragma once

#include "ColorTable.h"
#include "PixelImage.h"

namespace ombrix {

inline TPixelImage Picture5x3() {
    TPixelImage image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.SetPixel(x, y, PackColor(0xA0 + 16 * y + x, 0x50 + 16 * y + x, 16 * y + x));
    return image;
}

} // namespace ombrix
