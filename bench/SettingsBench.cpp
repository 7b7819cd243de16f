// Times the settings file at start and at exit: reading every key the program reads and
// writing every key it writes, once for a file as the program leaves it and once for a
// 100 MB file of foreign keys in the program's own section.
#include "Files.h"
#include "IniFile.h"
#include "Settings.h"
#include "TestModel.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

using namespace ombrix;

namespace {

// The file the program writes with the defaults and 256 colours: 266 keys.
std::string ProgramFile() {
    std::string text = "[Pendrel]\nFileName=/home/user/Pictures/wall.bmp\nTilingType=0\n"
                       "AreaW=128\nAreaH=64\nPrmG=5\nPrmK1=2\nPrmK2=2\nUseColCnt=256\n"
                       "ColDiv=8\nSpeed=1000\n";
    for (int i = 0; i < 256; ++i)
        text += ColorKey(i) + "=" + std::to_string(i * 65793) + "\n";
    return text;
}

// The program's file followed by foreign keys of 16 bytes a line up to `bytes`.
std::string LargeFile(std::size_t bytes) {
    std::string text = ProgramFile();
    text.reserve(bytes + 32);
    for (std::uint32_t i = 0; text.size() < bytes; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "K%08x=value\n", i);
        text += line;
    }
    return text;
}

struct TBench {
    explicit TBench(const std::string& text) : Path(Dir / "ombrix.ini") {
        ombrix::testing::WriteFile(Path, text);
    }
    ombrix::testing::TempDir Dir;
    std::string Path;
    std::unique_ptr<TFieldModel> Model = ombrix::testing::BlankModel();
};

void Read(benchmark::State& state, const std::string& text) {
    TBench bench(text);
    for (auto _ : state) {
        std::int32_t speed = 0;
        std::string fileName;
        ReadSettings(TIniFile(bench.Path), *bench.Model, speed, fileName);
        benchmark::DoNotOptimize(bench.Model->ColorTable[255]);
    }
}

void Write(benchmark::State& state, const std::string& text) {
    TBench bench(text);
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(bench.Path), *bench.Model, speed, fileName);
    std::int32_t areaW = 1;
    for (auto _ : state) {
        bench.Model->AreaW = areaW = areaW % 512 + 1; // a change each time: a real write
        TIniFile ini(bench.Path);
        WriteSettings(ini, *bench.Model, speed, fileName);
    }
}

// Target: under 5 ms.
void BM_ExitWriteOf266Keys(benchmark::State& state) {
    Write(state, ProgramFile());
}
BENCHMARK(BM_ExitWriteOf266Keys)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartReadOf266Keys(benchmark::State& state) {
    Read(state, ProgramFile());
}
BENCHMARK(BM_StartReadOf266Keys)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr std::size_t HundredMegabytes = 100u << 20;

// Target: under 2 s.
void BM_StartReadOf100MB(benchmark::State& state) {
    Read(state, LargeFile(HundredMegabytes));
}
BENCHMARK(BM_StartReadOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Target: under 3 s.
void BM_ExitWriteOf100MB(benchmark::State& state) {
    Write(state, LargeFile(HundredMegabytes));
}
BENCHMARK(BM_ExitWriteOf100MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
