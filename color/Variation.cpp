#include "Variation.h"

#include "ColorTable.h"
#include "Random.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ombrix {

namespace {

std::int32_t DrawIn(TParamRange range) {
    return range.Min + Random(range.Max - range.Min + 1);
}

// The live cells of a field, column by column.
std::vector<std::int32_t> LiveCells(const TLargeField& field) {
    std::vector<std::int32_t> cells;
    cells.reserve(static_cast<std::size_t>(field.Width()) * field.Height());
    for (int x = 1; x <= field.Width(); ++x)
        for (int y = 1; y <= field.Height(); ++y)
            cells.push_back(field.At(x, y));
    return cells;
}

// The correlation of each live cell's state with its right-hand neighbour's (the last
// column's with the first's); 0 for a field of one state.
double NeighbourCorrelation(const TLargeField& field) {
    double sum = 0, squares = 0, products = 0;
    for (int x = 1; x <= field.Width(); ++x)
        for (int y = 1; y <= field.Height(); ++y) {
            const double c = field.At(x, y);
            sum += c;
            squares += c * c;
            products += c * field.At(x % field.Width() + 1, y);
        }
    const double n = double(field.Width()) * field.Height();
    const double mean = sum / n;
    const double variance = squares / n - mean * mean;
    return variance > 0 ? (products / n - mean * mean) / variance : 0;
}

} // namespace

TLook LookOf(const TFieldModel& m) {
    TLook look;
    look.TilingType = m.TilingType;
    look.AreaW = m.AreaW;
    look.AreaH = m.AreaH;
    look.PrmG = m.PrmG;
    look.PrmK1 = m.PrmK1;
    look.PrmK2 = m.PrmK2;
    look.UseColCnt = m.UseColCnt;
    look.ColDiv = m.ColDiv;
    const int count = std::clamp(m.UseColCnt, 0, ColorTableSize);
    std::copy_n(m.ColorTable, count, look.ColorTable.begin());
    return look;
}

void ApplyLook(const TLook& look, TFieldModel& m) {
    m.TilingType = look.TilingType;
    m.AreaW = look.AreaW;
    m.AreaH = look.AreaH;
    m.PrmG = look.PrmG;
    m.PrmK1 = look.PrmK1;
    m.PrmK2 = look.PrmK2;
    m.UseColCnt = look.UseColCnt;
    m.ColDiv = look.ColDiv;
    const int count = std::clamp(look.UseColCnt, 0, ColorTableSize);
    std::copy_n(look.ColorTable.begin(), count, m.ColorTable);
}

bool TVariationRanges::Contains(const TLook& look) const {
    return (look.TilingType == 0 || look.TilingType == 1) && UseColCnt.Contains(look.UseColCnt) &&
           ColDiv.Contains(look.ColDiv) && look.ColDiv <= look.UseColCnt &&
           PrmGFor(look.UseColCnt).Contains(look.PrmG) && PrmK1.Contains(look.PrmK1) &&
           PrmK2For(look.PrmK1).Contains(look.PrmK2);
}

TLook DrawVariation(const TLook& current, const TVariationRanges& ranges) {
    TLook look;
    look.AreaW = current.AreaW;
    look.AreaH = current.AreaH;
    look.TilingType = Random(2);
    look.UseColCnt = DrawIn(ranges.UseColCnt);
    look.ColDiv = DrawIn({ranges.ColDiv.Min, std::min(ranges.ColDiv.Max, look.UseColCnt)});
    look.PrmG = DrawIn(ranges.PrmGFor(look.UseColCnt));
    look.PrmK1 = DrawIn(ranges.PrmK1);
    look.PrmK2 = DrawIn(ranges.PrmK2For(look.PrmK1));
    // The gradient is built on a model of its own: the table is all that is kept.
    auto colors = std::make_unique<TFieldModel>();
    colors->UseColCnt = look.UseColCnt;
    colors->ColDiv = look.ColDiv;
    RandomizeColorTable(*colors);
    MakeColorTable(*colors);
    std::copy_n(colors->ColorTable, look.UseColCnt, look.ColorTable.begin());
    return look;
}

std::unique_ptr<TLargeField> SeededFieldFor(const TLook& look) {
    auto field = std::make_unique<TLargeField>(std::clamp(look.AreaW, 1, VariationMaxW),
                                               std::clamp(look.AreaH, 1, VariationMaxH));
    InitField(field->View(), look.UseColCnt);
    return field;
}

TFieldFate Grow(TLargeField& field, const TLook& look, int generations) {
    const TRuleParams rule{look.UseColCnt, look.PrmG, look.PrmK1, look.PrmK2, look.TilingType};
    for (int g = 1; g < generations; ++g)
        StepField(field, rule, 1);
    const std::vector<std::int32_t> before = LiveCells(field);
    StepField(field, rule, 1);
    const std::vector<std::int32_t> after = LiveCells(field);
    if (std::all_of(after.begin(), after.end(), [](std::int32_t c) { return c == 0; }))
        return TFieldFate::DiesOut;
    if (before == after)
        return TFieldFate::Freezes;
    return NeighbourCorrelation(field) < NoiseCorrelation ? TFieldFate::Noise : TFieldFate::Lives;
}

TLivingVariation DrawLivingVariation(const TLook& current, const TVariationRanges& ranges) {
    TLivingVariation result;
    for (int draw = 0; draw < MaxVariationDraws; ++draw) {
        result.Look = DrawVariation(current, ranges);
        result.Field = SeededFieldFor(result.Look);
        result.Fate = Grow(*result.Field, result.Look, WarmUpGenerations);
        result.Generation = WarmUpGenerations;
        result.Replaced = draw;
        if (result.Fate == TFieldFate::Lives)
            break;
    }
    return result;
}

} // namespace ombrix
