// Times StepField against a plain transcription of the rule, and checks that both
// give the same field before timing anything: the window's field after a few hundred
// generations, a screen-sized field after a few.
#include "FieldModel.h"
#include "FieldView.h"
#include "Random.h"
#include "ReferenceRule.h"
#include "TestModel.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

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

// A screen-sized field, seeded as the window seeds its own.
std::unique_ptr<TLargeField> SeededField(int w, int h) {
    auto field = std::make_unique<TLargeField>(w, h);
    RandSeed = 0;
    InitField(field->View(), Defaults::UseColCnt);
    return field;
}

bool SameCells(TLargeField& a, TLargeField& b) {
    const TFieldView va = a.View(), vb = b.View();
    return std::memcmp(va.Cells, vb.Cells,
                       sizeof(std::int32_t) * static_cast<std::size_t>(va.Width + 2) *
                           static_cast<std::size_t>(va.Stride)) == 0;
}

// Large fields on one thread (threads = 1), on two, or on as many as pay (threads = 0);
// the small field shows what waking the threads costs each generation.
void BM_StepLarge(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    const int threads = static_cast<int>(state.range(2));
    const TRuleParams rule;

    auto engine = SeededField(w, h);
    auto reference = SeededField(w, h);
    std::vector<int> next;
    for (int generation = 0; generation < 3; ++generation) {
        StepField(*engine, rule, threads);
        ombrix::testing::ReferenceStep(reference->View(), rule, next);
    }
    if (!SameCells(*engine, *reference)) {
        state.SkipWithError("StepField and the reference rule disagree after 3 generations");
        return;
    }
    for (auto _ : state) {
        StepField(*engine, rule, threads);
        benchmark::DoNotOptimize(engine->At(1, 1));
    }
    state.SetItemsProcessed(state.iterations() * w * h);
    state.counters["threads"] =
        threads == 0 ? static_cast<double>(std::thread::hardware_concurrency()) : threads;
}

void BM_ReferenceLarge(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    const TRuleParams rule;
    auto field = SeededField(w, h);
    std::vector<int> next;
    for (auto _ : state) {
        ombrix::testing::ReferenceStep(field->View(), rule, next);
        benchmark::DoNotOptimize(field->At(1, 1));
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

} // namespace

BENCHMARK(BM_Step<StepField>)->Name("StepField")->Apply(Sizes);
BENCHMARK(BM_Step<ReferenceStep>)->Name("ReferenceStep")->Apply(Sizes);
BENCHMARK(BM_StepLarge)
    ->Name("StepFieldLarge")
    ->Args({128, 64, 0})
    ->Args({128, 64, 2})
    ->Args({3840, 2160, 1})
    ->Args({3840, 2160, 0})
    ->ArgNames({"w", "h", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceLarge)
    ->Name("ReferenceStepLarge")
    ->Args({3840, 2160})
    ->ArgNames({"w", "h"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
