#include "Export.h"

#include <limits>
#include <new>
#include <stdexcept>

namespace ombrix {

TPixelImage ComposeExport(const TPixelImage& tile, int tilingType) {
    try {
        if (tilingType == 0)
            return tile;
        const int w = tile.Width(), h = tile.Height();
        if (h > std::numeric_limits<int>::max() / 2)
            throw std::runtime_error(OutOfResourcesMessage);
        TPixelImage composite(w, 2 * h);
        DrawImage(composite, tile, 0, 0);
        DrawImage(composite, tile, -(w / 2), h);
        DrawImage(composite, tile, w / 2, h);
        return composite;
    } catch (const std::bad_alloc&) { // the copy of the tile
        throw std::runtime_error(OutOfResourcesMessage);
    }
}

} // namespace ombrix
