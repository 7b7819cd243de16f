// The vector kernel at 512 bits, built for AVX-512 with byte and word instructions and run
// only where the processor has them. As for AVX2, only the kernel's own code is built so.
#include "StepKernel.h"

#include <cstdint>
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw"))), apply_to = function)
#else
#pragma GCC target("avx512f,avx512bw")
// GCC 12's AVX-512 headers leave the unused part of some registers undefined on purpose,
// and then warn that it is.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define OMBRIX_LANES 32
#define OMBRIX_AVX512 1
#define OMBRIX_KERNEL StepBandAvx512
#include "VectorKernel.inc"

#if defined(__clang__)
#pragma clang attribute pop
#endif
