#include "FieldModel.h"
#include "Random.h"

namespace ombrix {

namespace {

// Per-column totals of the three vertically adjacent cells y-1, y, y+1:
// how many are infected, how many ill, and the sum of every positive value.
struct ColumnTotals {
    std::int32_t Infected[MaxAreaH + 2];
    std::int32_t Ill[MaxAreaH + 2];
    std::int32_t Sum[MaxAreaH + 2];
};

// A value counts only when positive; then it is ill when it equals the ill state
// and infected otherwise (values above the ill state are infected too).
void TotalColumn(const std::int32_t* column, int h, std::int32_t illState, ColumnTotals& out) {
    std::int32_t infected[MaxAreaH + 2];
    std::int32_t ill[MaxAreaH + 2];
    std::int32_t sum[MaxAreaH + 2];
    for (int y = 0; y <= h + 1; ++y) {
        const std::int32_t v = column[y];
        const bool counted = v > 0;
        const bool isIll = counted && v == illState;
        infected[y] = counted && !isIll;
        ill[y] = isIll;
        sum[y] = counted ? v : 0;
    }
    for (int y = 1; y <= h; ++y) {
        out.Infected[y] = infected[y - 1] + infected[y] + infected[y + 1];
        out.Ill[y] = ill[y - 1] + ill[y] + ill[y + 1];
        out.Sum[y] = sum[y - 1] + sum[y] + sum[y + 1];
    }
}

void FillBorder(TFieldModel& m) {
    const int w = m.AreaW;
    const int h = m.AreaH;
    const int half = w / 2;
    // Top and bottom rows: straight copies on the plain grid, copies of the column
    // half a tile further on (wrapping) when tile rows are shifted.
    for (int x = 1; x <= w; ++x) {
        int source = x;
        if (m.TilingType != 0) {
            source = x + half;
            if (source > w)
                source -= w;
        }
        m.Field[x][0] = m.Field[source][h];
        m.Field[x][h + 1] = m.Field[source][1];
    }
    // Left and right columns, corners included, after the rows.
    for (int y = 0; y <= h + 1; ++y) {
        m.Field[0][y] = m.Field[w][y];
        m.Field[w + 1][y] = m.Field[1][y];
    }
}

} // namespace

void StepField(TFieldModel& m) {
    FillBorder(m);

    const int w = m.AreaW;
    const int h = m.AreaH;
    const std::int32_t illState = m.UseColCnt - 1;

    ColumnTotals totals[3];
    ColumnTotals* left = &totals[0];
    ColumnTotals* mid = &totals[1];
    ColumnTotals* right = &totals[2];
    TotalColumn(m.Field[0], h, illState, *left);
    TotalColumn(m.Field[1], h, illState, *mid);

    for (int x = 1; x <= w; ++x) {
        TotalColumn(m.Field[x + 1], h, illState, *right);
        const std::int32_t* cells = m.Field[x];
        std::int32_t* next = m.NextField[x - 1];
        for (int y = 1; y <= h; ++y) {
            const std::int32_t c = cells[y];
            if (c == illState) {
                next[y - 1] = 0;
                continue;
            }
            const std::int32_t infected = left->Infected[y] + mid->Infected[y] + right->Infected[y];
            const std::int32_t ill = left->Ill[y] + mid->Ill[y] + right->Ill[y];
            if (c == 0) {
                next[y - 1] = infected / m.PrmK1 + ill / m.PrmK2; // not clamped
            } else {
                const std::int32_t sum = left->Sum[y] + mid->Sum[y] + right->Sum[y];
                const std::int64_t value = sum / infected + static_cast<std::int64_t>(m.PrmG);
                next[y - 1] = value > illState ? illState : static_cast<std::int32_t>(value);
            }
        }
        ColumnTotals* spare = left;
        left = mid;
        mid = right;
        right = spare;
    }

    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y)
            m.Field[x][y] = m.NextField[x - 1][y - 1];
}

void InitField(TFieldModel& m) {
    for (int x = 1; x <= m.AreaW; ++x)
        for (int y = 1; y <= m.AreaH; ++y)
            m.Field[x][y] = Random(m.UseColCnt);
}

} // namespace ombrix
