// Times the wallpaper picture for a 3840 x 2160 screen: repeating the tile, encoding it
// as PNG at each zlib level, and the whole of it written to a file as the button does.
#include "ColourTable.h"
#include "PngFile.h"
#include "Random.h"
#include "Wall.h"
#include "Wallpaper.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace ombrix;

namespace {

constexpr int ScreenW = 3840, ScreenH = 2160;

// The tile of a seeded random field: noise is the hardest case for the encoder.
TPixelImage SeededTile(int w, int h) {
    auto m = std::make_unique<TFieldModel>();
    m->AreaW = w;
    m->AreaH = h;
    m->UseColCnt = Defaults::UseColCnt;
    m->ColDiv = Defaults::ColDiv;
    RandSeed = 0;
    RandomizeColorTable(*m);
    InitField(*m);
    TPixelImage tile;
    RenderTile(*m, tile);
    return tile;
}

void BM_WallpaperPicture(benchmark::State& state) {
    const TPixelImage tile =
        SeededTile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        TPixelImage picture = WallpaperPicture(tile, 1, ScreenW, ScreenH);
        benchmark::DoNotOptimize(picture.Data());
    }
    state.SetItemsProcessed(state.iterations() * ScreenW * ScreenH);
}

void BM_EncodePng(benchmark::State& state) {
    const TPixelImage picture = WallpaperPicture(SeededTile(128, 64), 1, ScreenW, ScreenH);
    const int level = static_cast<int>(state.range(0));
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray bytes = EncodePng(picture, level);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.counters["bytes"] = static_cast<double>(size);
}

// Everything the button does with the picture before handing it to the desktop.
void BM_WallpaperToPngFile(benchmark::State& state) {
    const TPixelImage tile =
        SeededTile(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("wallpaper.png")).toStdString();
    for (auto _ : state)
        SavePng(path, WallpaperPicture(tile, 1, ScreenW, ScreenH));
}

} // namespace

BENCHMARK(BM_WallpaperPicture)
    ->Name("WallpaperPicture/3840x2160")
    ->Args({128, 64})
    ->Args({512, 256})
    ->ArgNames({"tileW", "tileH"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)
    ->Name("EncodePng/3840x2160")
    ->DenseRange(0, 9, 1)
    ->ArgName("level")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WallpaperToPngFile)
    ->Name("WallpaperToPngFile/3840x2160")
    ->Args({128, 64})
    ->Args({512, 256})
    ->ArgNames({"tileW", "tileH"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
