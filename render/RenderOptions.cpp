#include "RenderOptions.h"

#include "ColorTable.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <string_view>

namespace ombrix {

namespace {

constexpr std::int64_t MaxInt32 = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void Fail(std::string_view option, const std::string& what) {
    throw TUsageError(std::string(option) + ": " + what);
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Plain decimal digits only, no sign, no blanks; nothing when the text is not one or
// its value passes `max`.
std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t max) {
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > max)
            return std::nullopt;
    }
    return value;
}

std::int32_t NumberIn(std::string_view option, std::string_view text, std::int64_t min,
                      std::int64_t max) {
    const auto value = WholeNumber(text, max);
    if (!value || *value < min)
        Fail(option, "expected a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not " + Quoted(text));
    return static_cast<std::int32_t>(*value);
}

TPictureSize SizeIn(std::string_view option, std::string_view text, std::string_view also = {}) {
    const auto bad = [&] {
        Fail(option, std::string("expected WIDTHxHEIGHT, each from 1 to ") +
                         std::to_string(MaxRenderSide) + std::string(also) + ", not " +
                         Quoted(text));
    };
    const auto cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        bad();
    const auto w = WholeNumber(text.substr(0, cross), MaxRenderSide);
    const auto h = WholeNumber(text.substr(cross + 1), MaxRenderSide);
    if (!w || !h || *w < 1 || *h < 1)
        bad();
    return {static_cast<int>(*w), static_cast<int>(*h)};
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return parts;
        text.remove_prefix(comma + 1);
    }
}

TRule RuleIn(std::string_view option, std::string_view text) {
    const auto parts = SplitCommas(text);
    const std::string allowed = "expected G,K1,K2 with G from 0 to 100 and K1, K2 from 1 to 10, "
                                "not " +
                                Quoted(text);
    if (parts.size() != 3)
        Fail(option, allowed);
    const auto g = WholeNumber(parts[0], 100);
    const auto k1 = WholeNumber(parts[1], 10);
    const auto k2 = WholeNumber(parts[2], 10);
    if (!g || !k1 || !k2 || *k1 < 1 || *k2 < 1)
        Fail(option, allowed);
    return {static_cast<std::int32_t>(*g), static_cast<std::int32_t>(*k1),
            static_cast<std::int32_t>(*k2)};
}

TFontSpec FontIn(std::string_view option, std::string_view text) {
    const auto parts = SplitCommas(text);
    const auto bad = [&] {
        Fail(option, "expected \"FAMILY,POINTS[,bold][,italic]\" with POINTS from 1 to 1000, "
                     "not " +
                         Quoted(text));
    };
    if (parts.size() < 2 || parts.size() > 4 || parts[0].empty())
        bad();
    const auto points = WholeNumber(parts[1], 1000);
    if (!points || *points < 1)
        bad();
    TFontSpec font{std::string(parts[0]), static_cast<int>(*points), false, false};
    for (std::size_t i = 2; i < parts.size(); ++i) {
        if (parts[i] == "bold" && !font.Bold)
            font.Bold = true;
        else if (parts[i] == "italic" && !font.Italic)
            font.Italic = true;
        else
            bad();
    }
    return font;
}

TColor ColorIn(std::string_view option, std::string_view text) {
    const auto bad = [&] { Fail(option, "expected a colour #RRGGBB, not " + Quoted(text)); };
    if (text.size() != 7 || text[0] != '#')
        bad();
    std::uint32_t rgb = 0;
    for (const char c : text.substr(1)) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            bad();
        rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
    }
    return PackColor(rgb >> 16, rgb >> 8, rgb);
}

TPictureFormat FormatOf(std::string_view option, std::string_view file) {
    const auto dot = file.rfind('.');
    const auto slash = file.rfind('/');
    std::string suffix;
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash))
        for (const char c : file.substr(dot))
            suffix += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (suffix == ".png")
        return TPictureFormat::Png;
    if (suffix == ".bmp")
        return TPictureFormat::Bmp;
    Fail(option, "the file name must end in .png or .bmp, not " + Quoted(file));
}

// The options that take a value, under their long names.
constexpr std::string_view ValueOptions[] = {
    "--output", "--settings",    "--generations", "--seed",   "--field",
    "--states", "--segments",    "--tiling",      "--rule",   "--text",
    "--font",   "--text-colour", "--size",        "--frames", "--every"};

bool TakesValue(std::string_view name) {
    return std::find(std::begin(ValueOptions), std::end(ValueOptions), name) !=
           std::end(ValueOptions);
}

} // namespace

TRenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
    TRenderOptions o;
    bool everyGiven = false;
    bool outputGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name.starts_with("--") && name.find('=') != std::string::npos) {
            value = name.substr(name.find('=') + 1);
            name = name.substr(0, name.find('='));
        }
        if (name == "-o")
            name = "--output";
        else if (name == "-q")
            name = "--quiet";
        else if (name == "-h")
            name = "--help";
        else if (name == "-v")
            name = "--version";

        if (TakesValue(name)) {
            if (!value) {
                if (i + 1 >= args.size())
                    Fail(name, "needs a value");
                value = args[++i];
            }
        } else if (value) {
            Fail(name, "takes no value");
        }
        const std::string_view v = value ? std::string_view(*value) : std::string_view();

        if (name == "--output") {
            o.Format = FormatOf(name, v);
            o.Output = v;
            outputGiven = true;
        } else if (name == "--settings") {
            if (v.empty())
                Fail(name, "needs a file name");
            o.SettingsFile = v;
        } else if (name == "--generations") {
            o.Generations = NumberIn(name, v, 0, MaxInt32);
        } else if (name == "--seed") {
            const auto seed = WholeNumber(v, std::numeric_limits<std::uint32_t>::max());
            if (!seed)
                Fail(name, "expected a whole number from 0 to 4294967295, not " + Quoted(v));
            o.Seed = static_cast<std::uint32_t>(*seed);
        } else if (name == "--field") {
            o.Field = SizeIn(name, v);
        } else if (name == "--states") {
            o.States = NumberIn(name, v, 1, ColorTableSize);
        } else if (name == "--segments") {
            o.Segments = NumberIn(name, v, 1, ColorTableSize);
        } else if (name == "--tiling") {
            o.Tiling = NumberIn(name, v, 0, 1);
        } else if (name == "--rule") {
            o.Rule = RuleIn(name, v);
        } else if (name == "--randomize-colours") {
            o.RandomizeColors = true;
        } else if (name == "--text") {
            o.Text = v;
        } else if (name == "--font") {
            o.Font = FontIn(name, v);
        } else if (name == "--text-colour") {
            o.TextColor = ColorIn(name, v);
        } else if (name == "--size") {
            if (v == "tile") {
                o.Kind = TOutputKind::Tile;
            } else if (v == "screen") {
                o.Kind = TOutputKind::Screen;
            } else {
                o.Kind = TOutputKind::Wall;
                o.WallSize = SizeIn(name, v, ", or \"screen\" or \"tile\"");
            }
        } else if (name == "--frames") {
            if (v.empty())
                Fail(name, "needs a folder name");
            o.FramesDir = v;
        } else if (name == "--every") {
            o.Every = NumberIn(name, v, 1, MaxInt32);
            everyGiven = true;
        } else if (name == "--set-wallpaper") {
            o.SetWallpaper = true;
        } else if (name == "--quiet") {
            o.Quiet = true;
        } else if (name == "--help") {
            o.Help = true;
        } else if (name == "--version") {
            o.Version = true;
        } else if (name.starts_with("-")) {
            Fail(name, "unknown option (see --help)");
        } else {
            Fail(name, "unexpected argument; the picture's file name goes after -o");
        }
    }
    if (o.Help || o.Version)
        return o;
    if (!outputGiven)
        Fail("--output", "is required: -o FILE.png or -o FILE.bmp");
    if (o.States && o.Segments && *o.Segments > *o.States)
        Fail("--segments", "expected a whole number from 1 to the number of states " +
                               std::to_string(*o.States) + ", not " + std::to_string(*o.Segments));
    if (everyGiven && !o.FramesDir)
        Fail("--every", "needs --frames DIR");
    if ((o.Font || o.TextColor) && !o.Text)
        Fail(o.Font ? "--font" : "--text-colour", "needs --text TEXT");
    return o;
}

std::string RenderUsage() {
    return "Usage: ombrix-render [options] -o FILE\n"
           "Grows an Ombrix picture without a window and writes it as PNG or BMP.\n"
           "\n"
           "  -o, --output FILE        the picture; FILE ends in .png or .bmp\n"
           "      --settings FILE      the settings file to start from (default: the window's)\n"
           "      --generations N      generations after the start (default 300)\n"
           "      --seed N             the random source before the start (default 0)\n"
           "      --field WxH          the field size, up to 16384x16384\n"
           "      --states U           number of states, 1 to 256\n"
           "      --segments D         colour gradient segments, 1 to the states\n"
           "      --tiling T           0 plain grid, 1 every other row shifted\n"
           "      --rule G,K1,K2       G 0 to 100, K1 and K2 1 to 10\n"
           "      --randomize-colours  new random colours after the start\n"
           "      --text TEXT          stamp TEXT into the field before the generations\n"
           "      --font \"FAMILY,POINTS[,bold][,italic]\"   the stamp's font\n"
           "      --text-colour #RRGGBB                    the stamp's colour (default black)\n"
           "      --size WxH|screen|tile  a wall of WxH pixels, of the screen's size, or the "
           "tile (default)\n"
           "      --frames DIR         also write DIR/frame-000000.png and on\n"
           "      --every K            a frame every K generations (default 1)\n"
           "      --set-wallpaper      set the picture as the desktop background\n"
           "  -q, --quiet              no progress line\n"
           "  -h, --help               this text\n"
           "  -v, --version            the program's version\n"
           "\n"
           "Exit status: 0 done, 1 failed at run time, 2 wrong command line.\n";
}

} // namespace ombrix
