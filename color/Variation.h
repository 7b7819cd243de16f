// Looks and their variations, for the gallery.
//
// A look is what the settings file holds about the picture: the eight parameters and
// the colour table. A variation of a look keeps its field size and draws the rest anew
// (rule parameters, states, segments, tiling, key colours) from ranges in which
// patterns form, and is grown on a field of its own for WarmUpGenerations before it is
// shown; one whose field dies out (every cell healthy) or freezes (a generation equal to
// the one before) by then is replaced by a new draw.
//
// Every draw here comes from Random: callers that must not move the program's own
// sequence run these functions inside a TRandomStream.
#pragma once

#include "FieldModel.h"
#include "FieldView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace ombrix {

/// The settings keys of a look: TilingType, AreaW, AreaH, PrmG, PrmK1, PrmK2, UseColCnt,
/// ColDiv and the colours. Entries at and above UseColCnt are 0.
struct TLook {
    std::int32_t TilingType = Defaults::TilingType;
    std::int32_t AreaW = Defaults::AreaW;
    std::int32_t AreaH = Defaults::AreaH;
    std::int32_t PrmG = Defaults::PrmG;
    std::int32_t PrmK1 = Defaults::PrmK1;
    std::int32_t PrmK2 = Defaults::PrmK2;
    std::int32_t UseColCnt = Defaults::UseColCnt;
    std::int32_t ColDiv = Defaults::ColDiv;
    std::array<TColor, ColorTableSize> ColorTable{};

    friend bool operator==(const TLook&, const TLook&) = default;
};

/// The model's look (colour entries at and above UseColCnt left 0).
TLook LookOf(const TFieldModel& model);

/// Copies the eight parameters and colour entries 0..UseColCnt-1 into the model; the
/// cells and the other entries stay.
void ApplyLook(const TLook& look, TFieldModel& model);

/// The ranges a variation is drawn from. PrmK2 goes above PrmK2Plain only where PrmK1
/// is at most PrmK1ForHighK2; PrmG stays at or below UseColCnt div StatesPerPrmG (but
/// reaches PrmG.Min) where StatesPerPrmG is not 0; ColDiv stays at or below UseColCnt.
struct TVariationRanges {
    TParamRange PrmG;
    TParamRange PrmK1;
    TParamRange PrmK2;
    std::int32_t PrmK2Plain;
    std::int32_t PrmK1ForHighK2;
    TParamRange UseColCnt;
    TParamRange ColDiv;
    std::int32_t StatesPerPrmG;

    /// The range PrmG is drawn from once UseColCnt is known.
    constexpr TParamRange PrmGFor(std::int32_t useColCnt) const {
        if (StatesPerPrmG == 0)
            return PrmG;
        return {PrmG.Min, std::clamp(useColCnt / StatesPerPrmG, PrmG.Min, PrmG.Max)};
    }

    /// The range PrmK2 is drawn from once PrmK1 is known.
    constexpr TParamRange PrmK2For(std::int32_t prmK1) const {
        return {PrmK2.Min, prmK1 <= PrmK1ForHighK2 ? PrmK2.Max : std::min(PrmK2.Max, PrmK2Plain)};
    }
    /// Whether every drawn value of `look` lies in these ranges.
    bool Contains(const TLook& look) const;
};

/// Where patterns form, as measured with ombrix_variation_survey (bench/) and 300
/// generations on a 128 x 64 field. Of 4000 draws from the whole ranges 63.5 % die out
/// or freeze and another 19.7 % are noise. PrmK1 and PrmK2 decide most: with PrmK2 at
/// most 2 at most 6 % die out whatever PrmK1, with PrmK1 at most 2 and PrmK2 3..5 at
/// most 3 %, and with both at 4 or above every field dies out. Where those two allow
/// patterns, PrmG 0 freezes 88 % of the fields and PrmG 1 lets 25 % die out, PrmG 3 and
/// above none; PrmG above a quarter of UseColCnt gives noise in 53 to 100 % of the fields
/// (below, 14 to 23 %, most of it with PrmK1 7 and above: 35 to 60 %, against under 5 %
/// for PrmK1 up to 6). Drawn from these ranges, 10 of 4000 fields died out, none froze
/// and 3.3 % were noise; the gallery draws those again.
inline constexpr TVariationRanges LivelyRanges{
    {4, 100},  // PrmG
    {1, 6},    // PrmK1
    {1, 5},    // PrmK2
    2,         // PrmK2Plain
    2,         // PrmK1ForHighK2
    {16, 256}, // UseColCnt
    {2, 12},   // ColDiv
    4,         // StatesPerPrmG
};

/// The whole ranges the detail dialog accepts (ColDiv up to 16), for the survey.
inline constexpr TVariationRanges WholeRanges{
    Ranges::PrmG,      Ranges::PrmK1, Ranges::PrmK2, Ranges::PrmK2.Max,
    Ranges::PrmK1.Max, {2, 256},      {1, 16},       0,
};

/// Draws a variation of `current`: AreaW and AreaH stay; TilingType (0 or 1), UseColCnt,
/// ColDiv, PrmG, PrmK1 and PrmK2 are drawn from `ranges` in this order, then
/// RandomColor() for every entry in use, and the gradient is built between the keys.
TLook DrawVariation(const TLook& current, const TVariationRanges& ranges = LivelyRanges);

/// How many generations a variation grows before it is shown.
inline constexpr int WarmUpGenerations = 300;

/// The largest field a variation is grown on; a look's field is cut to these sides.
inline constexpr int VariationMaxW = 128;
inline constexpr int VariationMaxH = 64;

/// Noise: neighbouring cells hardly more alike than any two cells, the correlation of
/// each live cell's state with its right-hand neighbour's below NoiseCorrelation.
enum class TFieldFate { Lives, DiesOut, Freezes, Noise };
inline constexpr double NoiseCorrelation = 0.25;

/// A look with the field it grows on.
struct TLivingVariation {
    TLook Look;
    std::unique_ptr<TLargeField> Field;
    int Generation = 0;
    /// How many draws before this one died out or froze.
    int Replaced = 0;
    TFieldFate Fate = TFieldFate::Lives;
};

/// A new field for `look`, at most VariationMaxW x VariationMaxH, seeded with InitField.
std::unique_ptr<TLargeField> SeededFieldFor(const TLook& look);

/// Steps `field` `generations` times (at least 1) with the look's rule and tells whether
/// it is then all healthy, equal to the generation before, noise, or none of these.
TFieldFate Grow(TLargeField& field, const TLook& look, int generations);

/// How many draws DrawLivingVariation makes at most; the last is kept whatever its fate
/// (only fields too small for any pattern, a few cells, come that far).
inline constexpr int MaxVariationDraws = 40;

/// Draws variations of `current`, seeds and grows each for WarmUpGenerations, until one
/// lives (neither dies out, freezes nor is noise).
TLivingVariation DrawLivingVariation(const TLook& current,
                                     const TVariationRanges& ranges = LivelyRanges);

} // namespace ombrix
