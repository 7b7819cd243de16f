// Which of the live core's kernels this processor runs.
#include "LiveKernels.h"

namespace ombrix::detail {

bool HasAvx512Kernels() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#else
    return false;
#endif
}

bool HasAvx2Kernels() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

} // namespace ombrix::detail
