#include "Export.h"

#include <limits>
#include <new>

namespace ombrix {

TPixelImage ComposeExport(const TPixelImage& tile, int tilingType) {
    if (tilingType == 0)
        return tile;
    const int w = tile.Width(), h = tile.Height();
    if (h > std::numeric_limits<int>::max() / 2)
        throw std::bad_alloc();
    TPixelImage composite(w, 2 * h);
    DrawImage(composite, tile, 0, 0);
    DrawImage(composite, tile, -(w / 2), h);
    DrawImage(composite, tile, w / 2, h);
    return composite;
}

} // namespace ombrix
