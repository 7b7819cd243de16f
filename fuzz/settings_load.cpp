// The whole settings load on any file: the model the program then works with holds the
// invariants the engine, the colour table and the picture rely on, and a few generations,
// the rendering and the BMP encoding run on it.
#include "BmpFile.h"
#include "Export.h"
#include "FieldModel.h"
#include "IniFile.h"
#include "Settings.h"
#include "Wall.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

using namespace ombrix;

namespace {

// Stops the run with the condition that failed.
#define Check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "failed: %s\n", #condition);                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// One settings file for the whole run, in a folder of its own.
const std::string& SettingsPath() {
    static const std::string path = [] {
        std::string folder = "/tmp/ombrix-fuzz-XXXXXX";
        Check(::mkdtemp(folder.data()) != nullptr);
        return folder + "/ombrix.ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto model = std::make_unique<TFieldModel>();
    {
        std::ofstream file(SettingsPath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TFieldModel& m = *model;
    std::int32_t speed = 0;
    std::string fileName;
    const TIniFile ini(SettingsPath());
    ReadSettings(ini, m, speed, fileName);

    Check(m.AreaW >= 1 && m.AreaW <= MaxAreaW);
    Check(m.AreaH >= 1 && m.AreaH <= MaxAreaH);
    Check(m.UseColCnt >= 1 && m.UseColCnt <= 256);
    Check(m.ColDiv >= 1 && m.ColDiv <= m.UseColCnt);
    Check(m.PrmG >= 0 && m.PrmG <= 100);
    Check(m.PrmK1 >= 1 && m.PrmK1 <= 10 && m.PrmK2 >= 1 && m.PrmK2 <= 10);
    Check(speed >= MinSpeed && speed <= MaxSpeed);
    Check(fileName.size() <= MaxTextLength);

    InitField(m);
    for (int step = 0; step < 3; ++step)
        StepField(m);
    for (int x = 1; x <= m.AreaW; ++x)
        for (int y = 1; y <= m.AreaH; ++y)
            Check(m.Field[x][y] >= 0 && m.Field[x][y] <= 255);

    TPixelImage tile;
    RenderTile(m, tile);
    Check(tile.Width() == m.AreaW && tile.Height() == m.AreaH);
    const TPixelImage picture = ComposeExport(tile, m.TilingType);
    const std::vector<std::uint8_t> bmp = EncodeBmp(picture);
    Check(bmp.size() == BmpHeadersSize + BmpRowSize(picture.Width()) *
                                             static_cast<std::size_t>(picture.Height()));
    return 0;
}
