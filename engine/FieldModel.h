// The cell field, its step grid, the colour table and the eight parameters that
// size the field and drive the rule. The main window owns one model for its whole
// life and hands it to the dialogs: to the text dialog when it is created, to the
// detail dialog each time it is shown. Nothing here knows of the window toolkit.
//
// Callers keep these invariants before any operation of the engine, the colour
// table or the picture runs (the engine does not check them on every step):
//   AreaW, AreaH, UseColCnt, PrmG, PrmK1 and PrmK2 within their Ranges below
//   1 <= ColDiv <= UseColCnt (ColDivRange)
//   every cell value lies in 0..255
#pragma once

#include <algorithm>
#include <cstdint>

namespace ombrix {

inline constexpr int MaxAreaW = 512;
inline constexpr int MaxAreaH = 256;
inline constexpr int ColorTableSize = 256;

/// A colour value 0x00BBGGRR: red in bits 0..7, green 8..15, blue 16..23.
using TColor = std::uint32_t;

/// The values a parameter may take, bounds included.
struct TParamRange {
    std::int32_t Min;
    std::int32_t Max;

    constexpr bool Contains(std::int32_t value) const { return Min <= value && value <= Max; }
    /// The nearer bound for a value outside the range; the value itself inside it.
    constexpr std::int32_t Clamp(std::int32_t value) const { return std::clamp(value, Min, Max); }
};

/// The ranges the engine, the colour table and the picture work in: the settings clamp
/// the values read into them, and the detail dialog accepts only values inside them.
/// TilingType has none: every use only compares it with zero.
namespace Ranges {
inline constexpr TParamRange AreaW{1, MaxAreaW};
inline constexpr TParamRange AreaH{1, MaxAreaH};
inline constexpr TParamRange UseColCnt{1, ColorTableSize};
inline constexpr TParamRange PrmG{0, 100};
inline constexpr TParamRange PrmK1{1, 10};
inline constexpr TParamRange PrmK2{1, 10};
} // namespace Ranges

/// ColDiv's range, which depends on UseColCnt: one gradient segment up to one per state.
constexpr TParamRange ColDivRange(std::int32_t useColCnt) {
    return {1, useColCnt};
}

/// Values that apply when the settings file has no entry.
namespace Defaults {
inline constexpr std::int32_t UseColCnt = 256;
inline constexpr std::int32_t ColDiv = 8;
inline constexpr std::int32_t AreaW = 128;
inline constexpr std::int32_t AreaH = 64;
inline constexpr std::int32_t PrmG = 5;
inline constexpr std::int32_t PrmK1 = 2;
inline constexpr std::int32_t PrmK2 = 2;
inline constexpr std::int32_t TilingType = 0;
} // namespace Defaults

struct TFieldModel {
    /// The colour of each cell state; entries 0..UseColCnt-1 are in use.
    TColor ColorTable[ColorTableSize];
    /// The cells, indexed [x][y]: live area x = 1..AreaW, y = 1..AreaH, plus a one-cell
    /// wrap border that only StepField writes.
    std::int32_t Field[MaxAreaW + 2][MaxAreaH + 2];

    std::int32_t UseColCnt;  ///< number of cell states; 0 healthy, UseColCnt-1 ill
    std::int32_t ColDiv;     ///< number of gradient segments of the colour table
    std::int32_t AreaW;      ///< live width in cells = tile width in pixels
    std::int32_t AreaH;      ///< live height in cells = tile height in pixels
    std::int32_t PrmG;       ///< added to an infected cell's neighbourhood mean
    std::int32_t PrmK1;      ///< divides the infected neighbours of a healthy cell
    std::int32_t PrmK2;      ///< divides the ill neighbours of a healthy cell
    std::int32_t TilingType; ///< 0: plain grid; anything else: odd tile rows shifted by AreaW div 2
};

/// Copies the wrap border, computes every live cell's next state and copies it back.
void StepField(TFieldModel& model);

/// Writes every live cell with Random(UseColCnt), column by column from the left.
void InitField(TFieldModel& model);

} // namespace ombrix
