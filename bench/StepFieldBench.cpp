// Times StepField against a plain transcription of the rule, and checks that both
// give the same field after a few hundred generations before timing anything.
#include "FieldModel.h"
#include "Random.h"
#include "ReferenceRule.h"
#include "TestModel.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

using namespace ombrix;
using ombrix::testing::ReferenceStep;
using ombrix::testing::SeededModel;

namespace {

bool SameLiveArea(const TFieldModel& a, const TFieldModel& b) {
    for (int x = 0; x <= a.AreaW + 1; ++x)
        if (std::memcmp(a.Field[x], b.Field[x], sizeof(std::int32_t) * (a.AreaH + 2)) != 0)
            return false;
    return true;
}

template <void (*Step)(TFieldModel&)> void BM_Step(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    const int tiling = static_cast<int>(state.range(2));

    auto engine = SeededModel(w, h, tiling);
    auto reference = SeededModel(w, h, tiling);
    for (int generation = 0; generation < 300; ++generation) {
        StepField(*engine);
        ReferenceStep(*reference);
    }
    if (!SameLiveArea(*engine, *reference)) {
        state.SkipWithError("StepField and the reference rule disagree after 300 generations");
        return;
    }

    auto model = SeededModel(w, h, tiling);
    for (auto _ : state) {
        Step(*model);
        benchmark::DoNotOptimize(model->Field[1][1]);
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int tiling : {0, 1}) {
        b->Args({128, 64, tiling});
        b->Args({512, 256, tiling});
    }
    b->ArgNames({"w", "h", "tiling"});
}

} // namespace

BENCHMARK(BM_Step<StepField>)->Name("StepField")->Apply(Sizes);
BENCHMARK(BM_Step<ReferenceStep>)->Name("ReferenceStep")->Apply(Sizes);

BENCHMARK_MAIN();
