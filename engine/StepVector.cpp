// The vector kernel at 128 bits: SSE2 on x86-64, the processor's own vectors elsewhere.
#define OMBRIX_LANES 8
#define OMBRIX_KERNEL StepBandVector128
#include "VectorKernel.inc"
