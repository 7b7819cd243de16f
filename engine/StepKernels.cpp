// The kernels built into this program and the choice among them.
#include "StepKernel.h"

namespace ombrix::detail {

namespace {

// Per-row totals of the three vertically adjacent cells y-1, y, y+1 of one column:
// the number of infected and of ill cells and the sum of every positive value.
void TotalColumn(const std::int32_t* column, int h, std::int32_t ill, std::int32_t* infected,
                 std::int32_t* illCount, std::int32_t* sum) {
    for (int y = 1; y <= h; ++y) {
        std::int32_t i = 0, l = 0, s = 0;
        for (int dy = -1; dy <= 1; ++dy) {
            const std::int32_t v = column[y + dy];
            if (v <= 0)
                continue;
            if (v == ill)
                ++l;
            else
                ++i;
            s += v;
        }
        infected[y] = i;
        illCount[y] = l;
        sum[y] = s;
    }
}

} // namespace

void StepBandPlain(const TBandJob& job) {
    const int h = job.Height;
    const auto column = [&](int x) -> const std::int32_t* {
        if (x < job.First)
            return job.Before;
        if (x > job.Last)
            return job.After;
        return job.Cells + x * job.Stride;
    };
    // Three columns of totals in turn: left, middle, right.
    std::int32_t* totals[3][3];
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k)
            totals[c][k] = job.Scratch + (3 * c + k) * (h + 2);
    TotalColumn(column(job.First - 1), h, job.Ill, totals[0][0], totals[0][1], totals[0][2]);
    TotalColumn(column(job.First), h, job.Ill, totals[1][0], totals[1][1], totals[1][2]);
    int left = 0, mid = 1, right = 2;
    for (int x = job.First; x <= job.Last; ++x) {
        TotalColumn(column(x + 1), h, job.Ill, totals[right][0], totals[right][1],
                    totals[right][2]);
        // Column x is read for the last time here, so its next states replace it.
        std::int32_t* cells = job.Cells + x * job.Stride;
        for (int y = 1; y <= h; ++y) {
            const std::int32_t c = cells[y];
            const std::int32_t infected =
                totals[left][0][y] + totals[mid][0][y] + totals[right][0][y];
            const std::int32_t ill = totals[left][1][y] + totals[mid][1][y] + totals[right][1][y];
            const std::int32_t sum = totals[left][2][y] + totals[mid][2][y] + totals[right][2][y];
            std::int32_t next;
            if (c == job.Ill) {
                next = 0;
            } else if (c == 0) {
                next = infected / job.K1 + ill / job.K2;
            } else {
                next = sum / infected + job.Growth;
                if (next > job.Ill)
                    next = job.Ill;
            }
            cells[y] = next;
        }
        const int spare = left;
        left = mid;
        mid = right;
        right = spare;
    }
}

namespace {

bool Always() {
    return true;
}

#if defined(__x86_64__)
bool HasAvx2() {
    return __builtin_cpu_supports("avx2");
}

bool HasAvx512() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
#endif

constexpr TStepKernel Kernels[] = {
#if defined(__x86_64__)
    {"Avx512", HasAvx512, StepBandAvx512},
    {"Avx2", HasAvx2, StepBandAvx2},
    {"Sse2", Always, StepBandVector128},
#else
    {"Vector128", Always, StepBandVector128},
#endif
    {"Plain", Always, StepBandPlain},
};

} // namespace

std::span<const TStepKernel> StepKernels() {
    return Kernels;
}

const TStepKernel& BestStepKernel() {
    static const TStepKernel& best = []() -> const TStepKernel& {
        for (const TStepKernel& kernel : Kernels)
            if (kernel.Supported())
                return kernel;
        return Kernels[std::size(Kernels) - 1];
    }();
    return best;
}

} // namespace ombrix::detail
