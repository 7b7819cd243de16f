// Times ombrix-render's whole run for a 3840 x 2160 screen: the window's default start
// on a 3840 x 2160 field, 300 generations on every hardware thread, and the picture
// written as a 3840 x 2160 PNG, as `ombrix-render --field 3840x2160 --size 3840x2160
// -o x.png` does. Also the run's parts on their own: the generations and the picture.
#include "Render.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <string>

using namespace ombrix;

namespace {

constexpr int ScreenW = 3840, ScreenH = 2160;

TRenderOptions ScreenRun(const QTemporaryDir& dir, int generations) {
    TRenderOptions o;
    o.Output = dir.filePath(QStringLiteral("x.png")).toStdString();
    o.Generations = generations;
    o.Field = TPictureSize{ScreenW, ScreenH};
    o.Kind = TOutputKind::Wall;
    o.WallSize = {ScreenW, ScreenH};
    return o;
}

void RunScreen(benchmark::State& state, int generations) {
    QTemporaryDir dir;
    const TRenderOptions o = ScreenRun(dir, generations);
    const std::string noSettings = dir.filePath(QStringLiteral("none.ini")).toStdString();
    for (auto _ : state)
        RunRender(o, noSettings);
    state.counters["generations/s"] = benchmark::Counter(
        static_cast<double>(generations) * state.iterations(), benchmark::Counter::kIsRate);
}

// The whole run as the README reports it.
void BM_RenderScreen300Generations(benchmark::State& state) {
    RunScreen(state, 300);
}

// The start and the picture alone: seeding, one tile, the PNG file.
void BM_RenderScreenNoGenerations(benchmark::State& state) {
    RunScreen(state, 0);
}

} // namespace

BENCHMARK(BM_RenderScreen300Generations)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RenderScreenNoGenerations)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
