// The vector kernel at 256 bits, built for AVX2 and run only where the processor has
// it. Only the kernel's own code is built for AVX2: everything the headers define
// comes first, under the flags of the rest of the program, so no shared inline
// function can end up built for AVX2.
#include "StepKernel.h"

#include <cstdint>
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC target("avx2")
#endif

#define OMBRIX_LANES 16
#define OMBRIX_AVX2 1
#define OMBRIX_KERNEL StepBandAvx2
#include "VectorKernel.inc"

#if defined(__clang__)
#pragma clang attribute pop
#endif
