// Fields of any size, held outside the main window's model, stepped by the same rule
// and the same kernel as the window's field.
//
// A field is stored column by column, like TFieldModel::Field: cell (x, y) lives at
// Cells[x * Stride + y], x in 0..Width+1 and y in 0..Height+1, the live area being
// x = 1..Width, y = 1..Height and the rest a one-cell wrap border that only the step
// writes. The caller keeps the model's invariants for the live cells (every value in
// 0..255, 1 <= UseColCnt <= 256, PrmK1 >= 1, PrmK2 >= 1); the step checks none of them
// on every call. Sizes are checked where a field is made (TLargeField throws
// std::invalid_argument) and where a view is stepped (likewise).
#pragma once

#include "FieldModel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ombrix {

/// The widest and highest field a view may describe.
inline constexpr int MaxFieldSide = 16384;

/// A count of generations: a run may go on for more than 2^31 of them.
using TGeneration = std::int64_t;

/// The parameters of the rule, as the model holds them.
struct TRuleParams {
    std::int32_t UseColCnt = Defaults::UseColCnt; ///< 0 healthy, UseColCnt-1 ill
    std::int32_t PrmG = Defaults::PrmG;
    std::int32_t PrmK1 = Defaults::PrmK1;
    std::int32_t PrmK2 = Defaults::PrmK2;
    std::int32_t TilingType = Defaults::TilingType; ///< 0 plain grid, anything else shifted
};

/// A field stored elsewhere; the view owns nothing.
struct TFieldView {
    std::int32_t* Cells = nullptr;
    std::ptrdiff_t Stride = 0; ///< distance in cells from column x to column x + 1, >= Height + 2
    int Width = 0;             ///< live columns, 1..MaxFieldSide
    int Height = 0;            ///< live rows, 1..MaxFieldSide

    std::int32_t& At(int x, int y) const { return Cells[x * Stride + y]; }
};

/// A field that owns its cells (zero-filled, border included) and the step's scratch.
class TLargeField {
public:
    /// Throws std::invalid_argument unless both sides lie in 1..MaxFieldSide, and
    /// std::bad_alloc when the memory cannot be had (the largest field takes 1 GiB).
    TLargeField(int width, int height);

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    std::int32_t& At(int x, int y) { return Cells_[x * Stride() + y]; }
    std::int32_t At(int x, int y) const { return Cells_[x * Stride() + y]; }
    std::ptrdiff_t Stride() const { return static_cast<std::ptrdiff_t>(Height_) + 2; }
    TFieldView View();

private:
    friend void StepField(TLargeField& field, const TRuleParams& rule, int threads);

    int Width_;
    int Height_;
    std::vector<std::int32_t> Cells_;
    std::vector<std::int32_t> Scratch_;
};

/// The rule parameters the model holds.
TRuleParams RuleOf(const TFieldModel& model);

/// The model's field (AreaW x AreaH live cells) as a view.
TFieldView ViewOf(TFieldModel& model);

/// One generation of the field: fills the wrap border for the tiling, computes every
/// live cell's next state and stores it in place. The border keeps the copies made.
/// threads: how many threads step bands of columns at once; 0 means as many as pay for
/// themselves, up to one per hardware thread. The threads are started once and kept for
/// the run. The result does not depend on their number. Throws std::invalid_argument for a view
/// whose sides lie outside 1..MaxFieldSide or whose stride is below Height + 2, and
/// std::bad_alloc when its work space cannot be had (the live cells are then
/// unchanged).
void StepField(TFieldView field, const TRuleParams& rule, int threads = 0);
void StepField(TLargeField& field, const TRuleParams& rule, int threads = 0);

/// Writes every live cell with Random(useColCnt), column by column from the left and
/// each column from the top, as the window seeds its field. The border is not touched.
void InitField(TFieldView field, std::int32_t useColCnt);

} // namespace ombrix
