// Inside the engine: the kernels that step one band of columns in place, and the
// driver that splits a field into bands. Only the engine and its tests include this.
#pragma once

#include "FieldView.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace ombrix::detail {

/// One band of live columns First..Last of a field whose border is filled. Columns
/// First-1 and Last+1 may belong to bands stepped at the same time, so the band reads
/// them from copies taken before any band started.
struct TBandJob {
    std::int32_t* Cells;
    std::ptrdiff_t Stride;
    int Height;
    int First;
    int Last;
    const std::int32_t* Before; ///< column First-1 as it was, rows 0..Height+1
    const std::int32_t* After;  ///< column Last+1 as it was, rows 0..Height+1
    std::int32_t Ill;           ///< UseColCnt - 1
    std::int32_t Growth;        ///< PrmG
    std::int32_t K1;            ///< PrmK1
    std::int32_t K2;            ///< PrmK2
    std::int32_t* Scratch;      ///< KernelScratchCells(Height) cells, 64-byte aligned
};

using TBandStep = void (*)(const TBandJob& job);

struct TStepKernel {
    const char* Name;
    bool (*Supported)(); ///< whether this processor can run it
    TBandStep Step;
};

/// Room for the kernel's work, in 32-bit cells, for a band of the given height.
constexpr std::size_t KernelScratchCells(int height) {
    const std::size_t padded = (static_cast<std::size_t>(height) + 2 + 63) / 64 * 64 + 64;
    return 12 * padded + 64; // 24 arrays of 16-bit values, and room to align
}

/// Everything a band needs: the two column copies and the kernel's room.
constexpr std::size_t BandScratchCells(int height) {
    return 2 * (static_cast<std::size_t>(height) + 2) + KernelScratchCells(height);
}

/// The kernels: one cell at a time; 8 cells per instruction on any processor (SSE2,
/// which every x86-64 processor has, or the processor's own vectors); 16 with AVX2.
void StepBandPlain(const TBandJob& job);
void StepBandVector128(const TBandJob& job);
#if defined(__x86_64__)
void StepBandAvx2(const TBandJob& job);
#endif

/// Every kernel built into this program, the fastest first; check Supported before use.
std::span<const TStepKernel> StepKernels();

/// The fastest kernel this processor runs.
const TStepKernel& BestStepKernel();

/// StepField with a chosen kernel and the caller's scratch of bands x BandScratchCells.
void StepFieldWith(TFieldView field, const TRuleParams& rule, int bands, const TStepKernel& kernel,
                   std::int32_t* scratch);

/// The number of bands StepField uses for a field of this width on this many threads.
int BandCount(int width, int threads);

} // namespace ombrix::detail
