// Times what one automaton tick costs on screen: DrawWall on a main window whose
// wall view is 1920 x 1080, for small and large tiles and both tilings, and the
// whole tick (one generation and the redraw); and a tick on a 3840 x 2160 wall beside
// one solid fill of that wall through the same repaint. Runs on Qt's offscreen
// platform.
#include "ColorTable.h"
#include "FieldModel.h"
#include "OmbrixMain.h"
#include "PaintBox.h"
#include "Random.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace ombrix;

namespace {

// The main window alone: the benchmarks open no dialog.
const TFormRefs NoDialogs;

std::unique_ptr<TOmbrixFm> WallWindow(int areaW, int areaH, int tiling, int wallW = 1920,
                                      int wallH = 1080) {
    auto form = std::make_unique<TOmbrixFm>(NoDialogs);
    TFieldModel& m = *form->Model;
    m.AreaW = areaW;
    m.AreaH = areaH;
    m.UseColCnt = Defaults::UseColCnt;
    m.ColDiv = Defaults::ColDiv;
    m.PrmG = Defaults::PrmG;
    m.PrmK1 = Defaults::PrmK1;
    m.PrmK2 = Defaults::PrmK2;
    m.TilingType = tiling;
    RandSeed = 0;
    RandomizeColorTable(m);
    MakeColorTable(m);
    InitField(m);
    form->resize(145 + wallW, 65 + wallH);
    form->show();
    QApplication::processEvents();
    return form;
}

// The wall view, found by its name as the tests find it.
TPaintBox& Wall(const TOmbrixFm& form) {
    return *form.findChild<TPaintBox*>(QStringLiteral("WallPbx"));
}

void BM_DrawWall(benchmark::State& state) {
    auto form = WallWindow(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state)
        form->DrawWall();
    state.counters["wall_px"] = Wall(*form).width() * Wall(*form).height();
}

void BM_Tick(benchmark::State& state) {
    auto form = WallWindow(int(state.range(0)), int(state.range(1)), int(state.range(2)));
    for (auto _ : state)
        form->Timer1Timer();
}

void BM_TickLargeWall(benchmark::State& state) {
    auto form =
        WallWindow(int(state.range(0)), int(state.range(1)), int(state.range(2)), 3840, 2160);
    for (auto _ : state)
        form->Timer1Timer();
    state.counters["wall_px"] = Wall(*form).width() * Wall(*form).height();
}

// The floor for any redraw of the wall: one fill of the whole box in one colour.
void BM_SolidFillLargeWall(benchmark::State& state) {
    auto form = WallWindow(128, 64, 0, 3840, 2160);
    TPaintBox& wall = Wall(*form);
    wall.OnPaint = [&](QPainter& canvas) {
        canvas.fillRect(QRect(0, 0, wall.width(), wall.height()), QColor(40, 90, 160));
    };
    for (auto _ : state)
        wall.Repaint();
    state.counters["wall_px"] = wall.width() * wall.height();
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int tiling : {0, 1}) {
        b->Args({128, 64, tiling});
        b->Args({512, 256, tiling});
    }
    b->ArgNames({"w", "h", "tiling"})->UseRealTime()->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(BM_DrawWall)->Apply(Sizes);
BENCHMARK(BM_Tick)->Apply(Sizes);
BENCHMARK(BM_TickLargeWall)->Apply(Sizes);
BENCHMARK(BM_SolidFillLargeWall)->UseRealTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
