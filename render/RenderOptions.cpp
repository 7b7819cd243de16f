#include "RenderOptions.h"

#include <cctype>
#include <limits>
#include <string_view>

namespace ombrix {

namespace {

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
    FailOption(option, "the file name must end in .png or .bmp, not " + Quoted(file));
}

} // namespace

TRenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
    const TCommandLine line(TProgram::Render, args);
    TRenderOptions o;
    static_cast<TStartOptions&>(o) = StartOptionsFrom(line);
    if (const auto v = line.Value("output")) {
        o.Format = FormatOf("--output", *v);
        o.Output = *v;
    }
    if (const auto v = line.Value("generations"))
        o.Generations =
            NumberOption("--generations", *v, 0, std::numeric_limits<std::int32_t>::max());
    if (const auto v = line.Value("size")) {
        if (*v == "tile") {
            o.Kind = TOutputKind::Tile;
        } else if (*v == "screen") {
            o.Kind = TOutputKind::Screen;
        } else {
            o.Kind = TOutputKind::Wall;
            o.WallSize = SizeOption("--size", *v, ", or \"screen\" or \"tile\"");
        }
    }
    if (const auto v = line.Value("frames")) {
        if (v->empty())
            FailOption("--frames", "needs a folder name");
        o.FramesDir = *v;
    }
    if (const auto v = line.Value("every"))
        o.Every = NumberOption("--every", *v, 1, std::numeric_limits<std::int32_t>::max());
    o.SetWallpaper = line.Has("set-wallpaper");
    o.Quiet = line.Has("quiet");
    o.Help = line.Has("help");
    o.Version = line.Has("version");
    if (!line.Positional().empty())
        FailOption(line.Positional().front(),
                   "unexpected argument; the picture's file name goes after -o");

    if (o.Help || o.Version)
        return o;
    if (!line.Has("output"))
        FailOption("--output", "is required: -o FILE.png or -o FILE.bmp");
    CheckStartOptions(o);
    if (line.Has("every") && !o.FramesDir)
        FailOption("--every", "needs --frames DIR");
    return o;
}

std::string RenderUsage() {
    return "Usage: ombrix-render [options] -o FILE\n"
           "Grows an Ombrix picture without a window and writes it as PNG or BMP.\n"
           "\n" +
           OptionHelp(TProgram::Render) +
           "\n"
           "Exit status: 0 done, 1 failed at run time, 2 wrong command line.\n";
}

} // namespace ombrix
