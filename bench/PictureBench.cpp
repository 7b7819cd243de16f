// Times the tile rendering against a transcription that sets one pixel at a time,
// and the BMP encoding of the largest export.
#include "BmpFile.h"
#include "ColorTable.h"
#include "Export.h"
#include "Random.h"
#include "TestModel.h"
#include "Wall.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace ombrix;

namespace {

// The rendering as it reads: x outer, y inner, one SetPixel per cell.
void ReferenceRenderTile(const TFieldModel& m, TPixelImage& tile) {
    tile.SetSize(m.AreaW, m.AreaH);
    for (int x = 1; x <= m.AreaW; ++x)
        for (int y = 1; y <= m.AreaH; ++y)
            tile.SetPixel(x - 1, y - 1, m.ColorTable[m.Field[x][y]]);
}

// A drawn field in drawn colours.
std::unique_ptr<TFieldModel> ColoredModel(int w, int h) {
    auto m = ombrix::testing::SeededModel(w, h);
    const ombrix::testing::RandomStateGuard seed(0);
    RandomizeColorTable(*m);
    return m;
}

template <void (*Render)(const TFieldModel&, TPixelImage&)>
void BM_Render(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0));
    const int h = static_cast<int>(state.range(1));
    auto model = ColoredModel(w, h);

    TPixelImage tile, reference;
    RenderTile(*model, tile);
    ReferenceRenderTile(*model, reference);
    if (!(tile == reference)) {
        state.SkipWithError("RenderTile and the reference disagree");
        return;
    }

    for (auto _ : state) {
        Render(*model, tile);
        benchmark::DoNotOptimize(tile.Data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}

void TileSizes(benchmark::internal::Benchmark* b) {
    b->Args({128, 64});
    b->Args({512, 256});
    b->ArgNames({"w", "h"});
}

void BM_EncodeBmp(benchmark::State& state) {
    auto model = ColoredModel(MaxAreaW, MaxAreaH);
    TPixelImage tile;
    RenderTile(*model, tile);
    const TPixelImage composite = ComposeExport(tile, 1); // 512 x 512
    for (auto _ : state) {
        auto bytes = EncodeBmp(composite);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * 786486);
}

void BM_ComposeExport(benchmark::State& state) {
    auto model = ColoredModel(MaxAreaW, MaxAreaH);
    TPixelImage tile;
    RenderTile(*model, tile);
    for (auto _ : state) {
        auto composite = ComposeExport(tile, 1);
        benchmark::DoNotOptimize(composite.Data());
    }
}

} // namespace

BENCHMARK(BM_Render<RenderTile>)->Name("RenderTile")->Apply(TileSizes);
BENCHMARK(BM_Render<ReferenceRenderTile>)->Name("ReferenceRenderTile")->Apply(TileSizes);
BENCHMARK(BM_EncodeBmp)->Name("EncodeBmp/512x512");
BENCHMARK(BM_ComposeExport)->Name("ComposeExport/512x256");
