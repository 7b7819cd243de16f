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
    std::int32_t* Scratch;      ///< KernelScratchCells(Last - First + 1, Height), 64-byte aligned
};

using TBandStep = void (*)(const TBandJob& job);

struct TStepKernel {
    const char* Name;
    bool (*Supported)(); ///< whether this processor can run it
    TBandStep Step;
};

/// The vector kernels step a band in blocks of this many rows, so that their work
/// stays in the processor's nearest cache however high the field.
inline constexpr int KernelBlockRows = 512;

/// 16-bit values in each of the vector kernels' work arrays.
constexpr std::size_t KernelArrayLength(int height) {
    const int rows = height < KernelBlockRows ? height : KernelBlockRows;
    return (static_cast<std::size_t>(rows) + 2 + 63) / 64 * 64 + 64;
}

/// Room for a kernel's work, in 32-bit cells, for a band of at most the given size:
/// the plain kernel's nine totals per row, or the vector kernels' twelve arrays and
/// one saved row.
constexpr std::size_t KernelScratchCells(int width, int height) {
    const std::size_t plain = 9 * (static_cast<std::size_t>(height) + 2);
    const std::size_t vector = 6 * KernelArrayLength(height) + static_cast<std::size_t>(width);
    return (plain > vector ? plain : vector) + 64; // and room to align
}

/// The kernels: one cell at a time; 8 cells per instruction on any processor (SSE2,
/// which every x86-64 processor has, or the processor's own vectors); 16 with AVX2; 32
/// with AVX-512 (byte and word instructions).
void StepBandPlain(const TBandJob& job);
void StepBandVector128(const TBandJob& job);
#if defined(__x86_64__)
void StepBandAvx2(const TBandJob& job);
void StepBandAvx512(const TBandJob& job);
#endif

/// Every kernel built into this program, the fastest first; check Supported before use.
std::span<const TStepKernel> StepKernels();

/// The fastest kernel this processor runs.
const TStepKernel& BestStepKernel();

/// The number of threads StepField uses for a field of this size when asked for
/// `threads`: at most one per column; 0 asks for as many as pay for their wake-up, one
/// per 65536 cells up to one per hardware thread.
int ThreadCount(int width, int height, int threads);

/// The scratch StepFieldWith needs, in 32-bit cells.
std::size_t StepScratchCells(int width, int height, int threads);

/// StepField with a chosen kernel on `threads` threads, with the caller's scratch.
void StepFieldWith(TFieldView field, const TRuleParams& rule, int threads,
                   const TStepKernel& kernel, std::int32_t* scratch);

} // namespace ombrix::detail
