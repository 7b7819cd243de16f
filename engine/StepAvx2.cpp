// The vector kernel at 256 bits, built for AVX2 and run only where the processor has it.
#define OMBRIX_LANES 16
#define OMBRIX_KERNEL StepBandAvx2
#include "VectorKernel.inc"
