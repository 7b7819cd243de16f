// Times StepField against a plain transcription of the rule, and checks that both
// give the same field after a few hundred generations before timing anything.
#include "FieldModel.h"
#include "Random.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

using namespace ombrix;

namespace {

// The rule as it reads: fill the border, scan each 3 x 3 block value by value,
// then copy the next states back.
void ReferenceStep(TFieldModel& m) {
    const int w = m.AreaW, h = m.AreaH, u = m.UseColCnt, half = w / 2;
    for (int x = 1; x <= w; ++x) {
        int sx = x;
        if (m.TilingType != 0) {
            sx = x + half;
            if (sx > w)
                sx -= w;
        }
        m.Field[x][0] = m.Field[sx][h];
        m.Field[x][h + 1] = m.Field[sx][1];
    }
    for (int y = 0; y <= h + 1; ++y) {
        m.Field[0][y] = m.Field[w][y];
        m.Field[w + 1][y] = m.Field[1][y];
    }
    for (int x = 1; x <= w; ++x) {
        for (int y = 1; y <= h; ++y) {
            const int c = m.Field[x][y];
            if (c == u - 1) {
                m.NextField[x - 1][y - 1] = 0;
                continue;
            }
            int infected = 0, ill = 0, sum = 0;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy) {
                    const int v = m.Field[x + dx][y + dy];
                    if (v <= 0)
                        continue;
                    if (v == u - 1)
                        ++ill;
                    else
                        ++infected;
                    sum += v;
                }
            }
            int next;
            if (c == 0) {
                next = infected / m.PrmK1 + ill / m.PrmK2;
            } else {
                next = sum / infected + m.PrmG;
                if (next > u - 1)
                    next = u - 1;
            }
            m.NextField[x - 1][y - 1] = next;
        }
    }
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y)
            m.Field[x][y] = m.NextField[x - 1][y - 1];
}

std::unique_ptr<TFieldModel> SeededModel(int w, int h, int tiling) {
    auto m = std::make_unique<TFieldModel>();
    m->AreaW = w;
    m->AreaH = h;
    m->UseColCnt = Defaults::UseColCnt;
    m->ColDiv = Defaults::ColDiv;
    m->PrmG = Defaults::PrmG;
    m->PrmK1 = Defaults::PrmK1;
    m->PrmK2 = Defaults::PrmK2;
    m->TilingType = tiling;
    RandSeed = 0;
    InitField(*m);
    return m;
}

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
