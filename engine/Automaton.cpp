#include "FieldModel.h"
#include "Random.h"

namespace ombrix {

namespace {

// Counts of a 3 x 3 block are carried packed: infected cells in the low four bits
// (at most 9), ill cells from bit 4 up.
constexpr std::int32_t IllUnit = 16;
constexpr std::int32_t InfectedMask = IllUnit - 1;
constexpr int MaxPackedCounts = 9 * IllUnit + 9;

// Per-column totals of the three vertically adjacent cells y-1, y, y+1: the packed
// counts of infected and ill cells, and the sum of every positive value.
struct ColumnTotals {
    std::int32_t Counts[MaxAreaH + 2];
    std::int32_t Sum[MaxAreaH + 2];
};

// A value counts only when positive; then it is ill when it equals the ill state
// and infected otherwise (values above the ill state are infected too).
void TotalColumn(const std::int32_t* column, int h, std::int32_t illState, ColumnTotals& out) {
    std::int32_t counts[MaxAreaH + 2];
    std::int32_t sum[MaxAreaH + 2];
    for (int y = 0; y <= h + 1; ++y) {
        const std::int32_t v = column[y];
        const bool counted = v > 0;
        counts[y] = !counted ? 0 : v == illState ? IllUnit : 1;
        sum[y] = counted ? v : 0;
    }
    for (int y = 1; y <= h; ++y) {
        out.Counts[y] = counts[y - 1] + counts[y] + counts[y + 1];
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

// The rule's divisions, worked out once per step: a healthy cell's next state for
// every pair of counts, and exact reciprocals of the possible infected counts.
struct Quotients {
    std::int32_t HealthyNext[MaxPackedCounts + 1];
    std::uint64_t Reciprocal[10];

    explicit Quotients(const TFieldModel& m) {
        for (int ill = 0; ill <= 9; ++ill)
            for (int infected = 0; infected <= 9; ++infected)
                HealthyNext[ill * IllUnit + infected] = infected / m.PrmK1 + ill / m.PrmK2;
        Reciprocal[0] = 0;
        // ceil(2^32 / d): (sum * Reciprocal[d]) >> 32 equals sum / d for every sum below
        // 2^29, far above the largest block sum (9 x 255).
        for (std::uint64_t d = 1; d <= 9; ++d)
            Reciprocal[d] = ((std::uint64_t{1} << 32) + d - 1) / d;
    }
};

} // namespace

void StepField(TFieldModel& m) {
    FillBorder(m);

    const int w = m.AreaW;
    const int h = m.AreaH;
    const std::int32_t illState = m.UseColCnt - 1;
    const std::int64_t growth = m.PrmG;
    const Quotients quotients(m);

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
            const std::int32_t counts = left->Counts[y] + mid->Counts[y] + right->Counts[y];
            const std::int32_t sum = left->Sum[y] + mid->Sum[y] + right->Sum[y];
            // Healthy: infected div PrmK1 + ill div PrmK2, not clamped.
            const std::int32_t healthy = quotients.HealthyNext[counts];
            // Infected: sum div infected count (the cell itself among them) + PrmG, at
            // most the ill state. For the other classes the infected count may be 0;
            // the result is then unused.
            const std::uint64_t mean =
                (static_cast<std::uint64_t>(sum) * quotients.Reciprocal[counts & InfectedMask]) >>
                32;
            const std::int64_t grown = static_cast<std::int64_t>(mean) + growth;
            const std::int32_t infected =
                grown > illState ? illState : static_cast<std::int32_t>(grown);
            // The ill test comes first: with a single state, 0 is ill.
            next[y - 1] = c == illState ? 0 : c == 0 ? healthy : infected;
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
