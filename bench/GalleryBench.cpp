// What the gallery costs beside the main window: one tick of its twelve living
// thumbnails (a generation of each 128 x 64 field and the redraw of the 256 x 128 pictures
// it asks for) against one tick of the main window on a 1920 x 1080 wall. The gallery
// ticks at the main window's speed, so a tick of each is the comparison. Runs on Qt's
// offscreen platform.
#include "AutomatonTimer.h"
#include "ColorTable.h"
#include "FieldModel.h"
#include "Gallery.h"
#include "OmbrixMain.h"
#include "Random.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace ombrix;

namespace {

// The main window alone: the benchmarks open no dialog.
const TFormRefs NoDialogs;

std::unique_ptr<TOmbrixFm> MainWindow(int wallW, int wallH) {
    auto form = std::make_unique<TOmbrixFm>(NoDialogs);
    TFieldModel& m = *form->Model;
    m.AreaW = Defaults::AreaW;
    m.AreaH = Defaults::AreaH;
    m.UseColCnt = Defaults::UseColCnt;
    m.ColDiv = Defaults::ColDiv;
    m.PrmG = Defaults::PrmG;
    m.PrmK1 = Defaults::PrmK1;
    m.PrmK2 = Defaults::PrmK2;
    m.TilingType = 1;
    RandSeed = 0;
    RandomizeColorTable(m);
    MakeColorTable(m);
    InitField(m);
    form->resize(145 + wallW, 65 + wallH);
    form->show();
    QApplication::processEvents();
    return form;
}

void BM_MainWallTick(benchmark::State& state) {
    auto form = MainWindow(1920, 1080);
    for (auto _ : state) {
        form->Timer1Timer();
        QApplication::processEvents();
    }
}

void BM_GalleryTick(benchmark::State& state) {
    auto form = MainWindow(386, 387);
    TGalleryFm* gallery = form->Gallery();
    gallery->show();
    QApplication::processEvents();
    gallery->findChild<TAutomatonTimer*>(QStringLiteral("Timer1"))
        ->SetEnabled(false); // the benchmark ticks
    for (auto _ : state) {
        gallery->Timer1Timer();
        QApplication::processEvents();
    }
    state.counters["thumbnails"] = double(gallery->findChildren<TThumbnail*>().size());
}

// "More": twelve variations drawn and grown to generation 300.
void BM_GalleryMore(benchmark::State& state) {
    auto form = MainWindow(386, 387);
    TGalleryFm* gallery = form->Gallery();
    for (auto _ : state)
        gallery->MoreBtnClick();
}

} // namespace

BENCHMARK(BM_MainWallTick)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GalleryTick)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GalleryMore)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
