// picture_check: works out what Ombrix must show and save for a given settings file and
// compares it with a saved BMP file or a screenshot of the wall.
//
// The program never seeds its random source from the clock, so a fresh start with the
// same settings file gives the same colours and field. This tool repeats the start
// (reading the settings, which spends 3 x UseColCnt draws on colours, then seeding
// the field), applies the operations the test performed afterwards, and then checks
// the picture against its definition: tile pixel (x - 1, y - 1) is ColorTable[Field[x][y]];
// the saved picture is the tile, or for a shifted tiling the tile above the tile
// shifted left by half its width; the wall repeats the tile from the view's top-left
// corner, odd tile rows shifted left by half a tile when the tiling is shifted.
//
// Usage:
//   picture_check bmp   INI BMP [OP...]            the saved file is exactly the picture
//   picture_check wall  INI PNG X Y W H [OP...]    the screenshot's W x H area at X, Y is the wall
//   picture_check wall-after-steps INI PNG X Y W H MAX [OP...]
//                       the area is the wall after some 1..MAX generations (prints how many)
//   picture_check stamp INI BMP ROWS [OP...]       the saved file has the tile's size and shows
//                       only colours 0 (text) and UseColCnt div 2 + 1 (the rest), both of
//                       them, and text only in the first ROWS rows
// OP: init (seed the field again), steps:N (N generations), area:WxH (new field size),
//     tiling:T, colortable (rebuild the colour table's gradient).
// Exits 0 when the check holds, 1 when it does not (saying why), 2 on bad usage.
#include "ColorTable.h"
#include "FieldModel.h"
#include "IniFile.h"
#include "Settings.h"

#include <QImage>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace ombrix;

namespace {

struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB, row 0 at the top

    std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

std::uint32_t Rgb(TColor c) {
    // 0x00BBGGRR -> 0x00RRGGBB, the form both BMP bytes and screenshots are read into.
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

std::string Hex(std::uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "picture_check: %s\n", why.c_str());
    std::exit(1);
}

[[noreturn]] void Usage(const std::string& why) {
    std::fprintf(stderr, "picture_check: %s (see the comment at the top of picture_check.cpp)\n",
                 why.c_str());
    std::exit(2);
}

class Model {
public:
    explicit Model(const std::string& iniPath) : M(std::make_unique<TFieldModel>()) {
        std::int32_t speed = 0;
        std::string fileName;
        ReadSettings(TIniFile(iniPath), *M, speed, fileName);
        InitField(*M);
    }

    void Apply(const std::string& op) {
        int a = 0;
        int b = 0;
        if (op == "init") {
            InitField(*M);
        } else if (std::sscanf(op.c_str(), "steps:%d", &a) == 1 && a >= 0) {
            for (int i = 0; i < a; ++i)
                StepField(*M);
        } else if (std::sscanf(op.c_str(), "area:%dx%d", &a, &b) == 2) {
            M->AreaW = a;
            M->AreaH = b;
        } else if (std::sscanf(op.c_str(), "tiling:%d", &a) == 1) {
            M->TilingType = a;
        } else if (op == "colortable") {
            MakeColorTable(*M);
        } else {
            Usage("unknown operation '" + op + "'");
        }
    }

    void Step() { StepField(*M); }

    const TFieldModel& operator*() const { return *M; }
    const TFieldModel* operator->() const { return M.get(); }

    /// The tile by definition: pixel (x - 1, y - 1) is the colour of cell (x, y).
    Picture Tile() const {
        Picture tile{M->AreaW, M->AreaH, {}};
        for (int y = 1; y <= M->AreaH; ++y)
            for (int x = 1; x <= M->AreaW; ++x)
                tile.Pixels.push_back(Rgb(M->ColorTable[M->Field[x][y]]));
        return tile;
    }

    /// The saved picture by definition: the tile, or for a shifted tiling the tile
    /// above a lower half whose pixel (i, H + j) is tile pixel (i + s, j) for i < s and
    /// (i - s, j) for i >= s, s = W div 2.
    Picture Saved() const {
        Picture tile = Tile();
        if (M->TilingType == 0)
            return tile;
        const int w = tile.Width;
        const int h = tile.Height;
        const int s = w / 2;
        Picture picture{w, 2 * h, tile.Pixels};
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                picture.Pixels.push_back(tile.At(i < s ? i + s : i - s, j));
        return picture;
    }

private:
    std::unique_ptr<TFieldModel> M;
};

std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + i];
    return v;
}

/// Reads a BMP file, insisting on the exact layout Ombrix writes: 24 bits, no
/// compression, no colour table, rows bottom-up and padded to 4 bytes.
Picture ReadBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot open " + path);
    const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    if (b.size() < 54)
        Fail(path + ": " + std::to_string(b.size()) + " bytes, shorter than the two headers");
    auto expect = [&](const char* field, std::size_t at, int bytes, std::int64_t want) {
        const std::uint32_t got = Le(b, at, bytes);
        const std::int64_t value = bytes == 4 ? static_cast<std::int32_t>(got) : got;
        if (value != want)
            Fail(path + ": " + field + " is " + std::to_string(value) + ", expected " +
                 std::to_string(want));
    };
    expect("signature", 0, 2, 0x4D42);
    const auto w = static_cast<std::int32_t>(Le(b, 18, 4));
    const auto h = static_cast<std::int32_t>(Le(b, 22, 4));
    if (w < 1 || h < 1 || w > 4096 || h > 4096)
        Fail(path + ": implausible size " + std::to_string(w) + " x " + std::to_string(h));
    const std::int64_t row = ((w * 24 + 31) / 32) * 4;
    expect("file size", 2, 4, 54 + row * h);
    expect("reserved 1", 6, 2, 0);
    expect("reserved 2", 8, 2, 0);
    expect("pixel offset", 10, 4, 54);
    expect("information header size", 14, 4, 40);
    expect("planes", 26, 2, 1);
    expect("bits per pixel", 28, 2, 24);
    expect("compression", 30, 4, 0);
    expect("image size", 34, 4, row * h);
    expect("horizontal resolution", 38, 4, 0);
    expect("vertical resolution", 42, 4, 0);
    expect("colours used", 46, 4, 0);
    expect("important colours", 50, 4, 0);
    if (static_cast<std::int64_t>(b.size()) != 54 + row * h)
        Fail(path + ": the file holds " + std::to_string(b.size()) + " bytes, its header says " +
             std::to_string(54 + row * h));
    Picture picture{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
    for (int y = 0; y < h; ++y) {
        const std::size_t line = 54 + static_cast<std::size_t>(row) * (h - 1 - y); // bottom-up
        for (int x = 0; x < w; ++x) {
            const std::size_t p = line + 3 * static_cast<std::size_t>(x);
            picture.Pixels[static_cast<std::size_t>(y) * w + x] =
                (std::uint32_t{b[p + 2]} << 16) | (std::uint32_t{b[p + 1]} << 8) | b[p];
        }
    }
    return picture;
}

Picture ReadScreenshot(const std::string& path, int x, int y, int w, int h) {
    const QImage image(QString::fromStdString(path));
    if (image.isNull())
        Fail("cannot read the screenshot " + path);
    if (x < 0 || y < 0 || w < 1 || h < 1 || x + w > image.width() || y + h > image.height())
        Fail("the wall area lies outside the screenshot " + path);
    Picture area{w, h, {}};
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            area.Pixels.push_back(image.pixel(x + i, y + j) & 0xFFFFFFu);
    return area;
}

/// Empty when `got` equals `want`; otherwise what differs.
std::string Compare(const Picture& got, const Picture& want) {
    if (got.Width != want.Width || got.Height != want.Height)
        return "the size is " + std::to_string(got.Width) + " x " + std::to_string(got.Height) +
               ", expected " + std::to_string(want.Width) + " x " + std::to_string(want.Height);
    long wrong = 0;
    std::string first;
    for (int y = 0; y < got.Height; ++y)
        for (int x = 0; x < got.Width; ++x)
            if (got.At(x, y) != want.At(x, y) && wrong++ == 0)
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                        Hex(got.At(x, y)) + ", expected " + Hex(want.At(x, y));
    if (wrong == 0)
        return {};
    return std::to_string(wrong) + " of " + std::to_string(long{got.Width} * got.Height) +
           " pixels differ; first: " + first;
}

/// The wall view by definition: the tile repeated from (0, 0), odd tile rows starting
/// half a tile to the left when the tiling is shifted.
Picture Wall(const Picture& tile, int tilingType, int w, int h) {
    Picture wall{w, h, {}};
    const int s = tile.Width / 2;
    for (int y = 0; y < h; ++y) {
        const bool shifted = tilingType != 0 && (y / tile.Height) % 2 == 1;
        for (int x = 0; x < w; ++x)
            wall.Pixels.push_back(tile.At((x + (shifted ? s : 0)) % tile.Width, y % tile.Height));
    }
    return wall;
}

int Int(const char* text) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0')
        Usage(std::string("not a number: ") + text);
    return static_cast<int>(v);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4)
        Usage("too few arguments");
    const std::string mode = argv[1];
    Model model(argv[2]);
    const std::string picturePath = argv[3];

    auto applyFrom = [&](int first) {
        for (int i = first; i < argc; ++i)
            model.Apply(argv[i]);
    };

    if (mode == "bmp") {
        applyFrom(4);
        const std::string diff = Compare(ReadBmp(picturePath), model.Saved());
        if (!diff.empty())
            Fail(picturePath + ": " + diff);
        std::printf("%s: %d x %d, every pixel as expected\n", picturePath.c_str(),
                    model.Saved().Width, model.Saved().Height);
        return 0;
    }

    if (mode == "wall" || mode == "wall-after-steps") {
        const bool steps = mode == "wall-after-steps";
        if (argc < (steps ? 9 : 8))
            Usage("too few arguments");
        const Picture shot =
            ReadScreenshot(picturePath, Int(argv[4]), Int(argv[5]), Int(argv[6]), Int(argv[7]));
        const int most = steps ? Int(argv[8]) : 0;
        applyFrom(steps ? 9 : 8);
        std::string diff =
            Compare(shot, Wall(model.Tile(), model->TilingType, shot.Width, shot.Height));
        if (!steps) {
            if (!diff.empty())
                Fail(picturePath + ": the wall is not the field's picture: " + diff);
            std::printf("the wall shows the expected field\n");
            return 0;
        }
        for (int n = 1; n <= most; ++n) {
            model.Step();
            if (Compare(shot, Wall(model.Tile(), model->TilingType, shot.Width, shot.Height))
                    .empty()) {
                std::printf("%d\n", n);
                return 0;
            }
        }
        Fail(picturePath + ": the wall matches none of generations 1 to " + std::to_string(most));
    }

    if (mode == "stamp") {
        if (argc < 5)
            Usage("too few arguments");
        const int textRows = Int(argv[4]);
        applyFrom(5);
        const Picture saved = ReadBmp(picturePath);
        const Picture want = model.Saved();
        if (saved.Width != want.Width || saved.Height != want.Height)
            Fail(picturePath + ": the size is " + std::to_string(saved.Width) + " x " +
                 std::to_string(saved.Height) + ", expected " + std::to_string(want.Width) + " x " +
                 std::to_string(want.Height));
        const int v = model->UseColCnt / 2 + 1;
        const std::uint32_t text = Rgb(model->ColorTable[0]);
        const std::uint32_t rest = Rgb(model->ColorTable[v]);
        if (text == rest)
            Usage("colours 0 and " + std::to_string(v) + " are the same: choose other colours");
        long textPixels = 0;
        long restPixels = 0;
        for (int y = 0; y < saved.Height; ++y)
            for (int x = 0; x < saved.Width; ++x) {
                const std::uint32_t c = saved.At(x, y);
                if (c == text) {
                    ++textPixels;
                    if (y % model->AreaH >= textRows)
                        Fail(picturePath + ": text colour at (" + std::to_string(x) + ", " +
                             std::to_string(y) + "), below the text line");
                } else if (c == rest) {
                    ++restPixels;
                } else {
                    Fail(picturePath + ": pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                         ") is " + Hex(c) + ", neither the text colour " + Hex(text) +
                         " nor the background colour " + Hex(rest));
                }
            }
        if (textPixels == 0 || restPixels == 0)
            Fail(picturePath + ": " + std::to_string(textPixels) + " text pixels and " +
                 std::to_string(restPixels) + " background pixels; expected some of each");
        std::printf("%s: %d x %d, %ld text pixels, %ld background pixels\n", picturePath.c_str(),
                    saved.Width, saved.Height, textPixels, restPixels);
        return 0;
    }

    Usage("unknown mode '" + mode + "'");
}
