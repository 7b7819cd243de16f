// How one repeat of the wall is laid out on a Wayland output: which buffer holds it and
// how many surfaces, side by side, show that buffer over the output. Pure arithmetic, no
// Wayland.
//
// A surface with buffer scale S must have a buffer whose sides are multiples of S, and a
// surface is placed in whole surface-local units (S physical pixels). So the buffer holds
// the pattern repeated until both sides are multiples of S; it also repeats a small
// pattern until the output needs at most MaxGridSide surfaces across and down, so that a
// generation costs a few dozen requests, not thousands. A pattern larger than the output
// is cut to the output's size: only its top-left part shows.
//
// At a fractional scale P/Q (an output of 1920 physical pixels shown as 1280 units: 3/2),
// the surfaces take buffer scale 1 and a viewport of the cell's size in units, so that a
// buffer pixel is a physical pixel: the buffer's sides are multiples of P, a cell is
// buffer × Q / P units.
#pragma once

namespace ombrix {

/// The most surfaces a small pattern needs across or down an output.
inline constexpr int MaxGridSide = 8;

struct TPatternLayout {
    int BufferWidth = 0;  ///< physical pixels, a multiple of the scale
    int BufferHeight = 0; ///< physical pixels, a multiple of the scale
    int Columns = 0;      ///< surfaces across the output
    int Rows = 0;         ///< surfaces down the output
    /// One surface's size and the step from one to the next, in surface-local units.
    int CellWidth() const;
    int CellHeight() const;
    int Scale = 1;
    int Units = 1; ///< the scale is Scale / Units physical pixels per surface-local unit
    friend bool operator==(const TPatternLayout&, const TPatternLayout&) = default;
};

/// The layout of a patternWidth × patternHeight pattern (physical pixels) on an output of
/// outputWidth × outputHeight surface-local units at buffer scale `scale`. Sizes of 0 or
/// less give an empty layout (no buffer, no surfaces); a scale below 1 counts as 1.
TPatternLayout LayOutPattern(int patternWidth, int patternHeight, int scale, int outputWidth,
                             int outputHeight);

/// The same at the fractional scale `scale` / `units` (in lowest terms; `units` below 1
/// counts as 1), for an output of outputWidth × outputHeight surface-local units, each
/// side a multiple of `units`.
TPatternLayout LayOutPattern(int patternWidth, int patternHeight, int scale, int units,
                             int outputWidth, int outputHeight);

} // namespace ombrix
