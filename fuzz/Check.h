// The fuzzers' own assertion: it holds in every build type and stops the run with the
// condition that failed, so libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define Check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "failed: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
