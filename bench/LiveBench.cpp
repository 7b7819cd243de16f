// What a generation of ombrix-live costs its core at the largest field (512 × 256 cells,
// 32 states, brick tiling): the step, the field's fingerprint, the pattern (alone, and with
// the fingerprint taken along), and the copy of the pattern an adapter makes into a
// display's buffer, each alone.
#include "FieldView.h"
#include "LivePattern.h"
#include "Random.h"
#include "SettledField.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

using namespace ombrix;

namespace {

struct TLargest {
    TLargeField Field{MaxAreaW, MaxAreaH};
    TRuleParams Rule;
    TColor Table[ColorTableSize] = {};
    TLargest() {
        Rule.UseColCnt = 32;
        Rule.TilingType = 1;
        RandSeed = 0;
        InitField(Field.View(), Rule.UseColCnt);
        for (int i = 0; i < ColorTableSize; ++i)
            Table[i] = static_cast<TColor>(i * 0x070503);
        for (int g = 0; g < 200; ++g)
            StepField(Field, Rule, 1);
    }
};

void BM_Step(benchmark::State& state) {
    TLargest f;
    for (auto _ : state)
        StepField(f.Field, f.Rule, 1);
}
BENCHMARK(BM_Step)->Unit(benchmark::kMicrosecond);

void BM_Fingerprint(benchmark::State& state) {
    TLargest f;
    for (auto _ : state)
        benchmark::DoNotOptimize(FieldFingerprint(f.Field.View()));
}
BENCHMARK(BM_Fingerprint)->Unit(benchmark::kMicrosecond);

void BM_Pattern(benchmark::State& state) {
    TLargest f;
    TLivePatternMaker maker;
    for (auto _ : state)
        benchmark::DoNotOptimize(maker.Make(f.Field.View(), f.Table, 1, 1).Pixels);
}
BENCHMARK(BM_Pattern)->Unit(benchmark::kMicrosecond);

// The pattern into memory aligned as a display's shared memory is, which the stores
// bypass the cache for; with `fingerprint`, the field's fingerprint taken along, as every
// generation does.
void PatternIntoSharedMemory(benchmark::State& state, bool fingerprint) {
    TLargest f;
    TLivePatternMaker maker;
    const auto [width, height] = TLivePatternMaker::Size(f.Field.View(), 1, 1);
    std::vector<std::uint32_t> room(static_cast<std::size_t>(width) * height + 16);
    std::uint32_t* memory =
        room.data() + (64 - reinterpret_cast<std::uintptr_t>(room.data()) % 64) % 64 / 4;
    std::uint64_t value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(maker
                                     .Make(f.Field.View(), f.Table, 1, 1, {memory, width}, {},
                                           fingerprint ? &value : nullptr)
                                     .Pixels);
        benchmark::DoNotOptimize(value);
    }
}

void BM_PatternIntoSharedMemory(benchmark::State& state) {
    PatternIntoSharedMemory(state, false);
}
BENCHMARK(BM_PatternIntoSharedMemory)->Unit(benchmark::kMicrosecond);

void BM_PatternAndFingerprint(benchmark::State& state) {
    PatternIntoSharedMemory(state, true);
}
BENCHMARK(BM_PatternAndFingerprint)->Unit(benchmark::kMicrosecond);

void BM_CopyPattern(benchmark::State& state) {
    std::vector<std::uint32_t> from(MaxAreaW * 2 * MaxAreaH, 1), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyPattern)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
