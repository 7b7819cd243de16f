// The pattern the live wallpaper shows, made straight from the field once per generation:
// the cells' colours as 0xFFRRGGBB, the brick tiling's shifted half and the zoom in one
// pass over reused memory, with no picture in between. Pixel for pixel it is the
// renderer's pattern (WallPattern of the tile, each pixel zoom × zoom).
#pragma once

#include "FieldModel.h"
#include "FieldView.h"
#include "LiveOutputs.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace ombrix {

class TLivePatternMaker {
public:
    /// The pattern of `field` for `tilingType` (0 the tile itself, else the tile and
    /// below it the tile rotated left by Width div 2), every cell zoom × zoom pixels
    /// (zoom 1..MaxZoom), coloured by `colorTable` (a cell's low 8 bits pick the entry).
    /// Made in `memory` when it is given, else in memory of the maker's own, valid until
    /// the next call. Only its top-left part of `limit`'s size is made where `limit` is
    /// smaller (a side of 0: no limit). Throws
    /// std::bad_alloc when the memory cannot be had. With `fingerprint`, the field's
    /// FieldFingerprint goes there too, taken along where the colours read every cell.
    TLivePattern Make(const TFieldView& field, const TColor (&colorTable)[ColorTableSize],
                      int tilingType, int zoom, TPatternMemory memory = {}, TPlaceSize limit = {},
                      std::uint64_t* fingerprint = nullptr);

    /// The width and height of the pattern Make makes.
    static std::pair<int, int> Size(const TFieldView& field, int tilingType, int zoom,
                                    TPlaceSize limit = {});

private:
    std::vector<std::uint32_t> Tile_; ///< the zoom-1 tile, when zoom > 1
    std::vector<std::uint32_t> Pixels_;
};

} // namespace ombrix
