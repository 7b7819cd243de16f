// Times ombrix-render's animations: 300 generations of a 512 x 256 tile (the window's
// largest field, its default start otherwise) written as 301 PNG frames, as one lossless
// animated WebP and as one GIF, as `ombrix-render --field 512x256 --generations 300
// --frames DIR` or `-o x.webp` / `-o x.gif` do. The counter "bytes" is the size written.
#include "Render.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace ombrix;

namespace {

std::uintmax_t BytesIn(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path))
        return std::filesystem::file_size(path);
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        bytes += entry.file_size();
    return bytes;
}

// `output` is the file written; with `frames` only the frames count (the still picture
// beside them is one frame more).
void RunTile(benchmark::State& state, const char* output, TPictureFormat format, bool frames) {
    QTemporaryDir dir;
    TRenderOptions o;
    o.Output = dir.filePath(QString::fromLatin1(output)).toStdString();
    o.Format = format;
    o.Generations = 300;
    o.Field = TPictureSize{512, 256};
    if (frames)
        o.FramesDir = dir.filePath(QStringLiteral("frames")).toStdString();
    const std::string noSettings = dir.filePath(QStringLiteral("none.ini")).toStdString();
    for (auto _ : state)
        RunRender(o, noSettings);
    state.counters["bytes"] = static_cast<double>(BytesIn(frames ? *o.FramesDir : o.Output));
    state.counters["frames/s"] =
        benchmark::Counter(301.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Tile300PngFrames(benchmark::State& state) {
    RunTile(state, "x.png", TPictureFormat::Png, true);
}

void BM_Tile300Webp(benchmark::State& state) {
    RunTile(state, "x.webp", TPictureFormat::Webp, false);
}

void BM_Tile300Gif(benchmark::State& state) {
    RunTile(state, "x.gif", TPictureFormat::Gif, false);
}

// The generations and the still picture alone, which every run above includes.
void BM_Tile300Generations(benchmark::State& state) {
    RunTile(state, "x.png", TPictureFormat::Png, false);
}

} // namespace

BENCHMARK(BM_Tile300PngFrames)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Tile300Webp)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Tile300Gif)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Tile300Generations)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK_MAIN();
