// Writes a file again and again, as the program writes it, until it is killed:
//   kill_writer settings|picture PATH [first|second]
// The settings alternate between two models and the picture between two images; with
// "first" or "second" it writes that one once and ends. It writes one byte to its standard
// output when the loop starts.
#include "BmpFile.h"
#include "IniFile.h"
#include "Settings.h"
#include "TestModel.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

using namespace ombrix;

namespace {

TPixelImage Picture(int w, int h, TColor colour) {
    TPixelImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.SetPixel(x, y, colour + static_cast<TColor>(x * y));
    return image;
}

void Write(bool settings, const std::string& path, int which) {
    if (settings) {
        static const auto model = ombrix::testing::NewModel();
        model->AreaW = which == 0 ? 128 : 77;
        for (int i = 0; i < 256; ++i)
            model->ColorTable[i] = static_cast<TColor>(which == 0 ? i : 0x00FFFFFF - i);
        TIniFile ini(path);
        WriteSettings(ini, *model, which == 0 ? 1000 : 20, which == 0 ? "a.bmp" : "b.bmp");
    } else {
        SaveBmp(path, which == 0 ? Picture(300, 200, 0x00102030) : Picture(257, 300, 0x00405060));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3)
        return 2;
    const bool settings = std::strcmp(argv[1], "settings") == 0;
    const std::string path = argv[2];
    if (argc > 3) {
        Write(settings, path, std::strcmp(argv[3], "second") == 0 ? 1 : 0);
        return 0;
    }
    if (::write(1, "r", 1) != 1)
        return 3;
    for (int i = 1;; ++i)
        Write(settings, path, i % 2);
}
