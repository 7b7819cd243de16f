#include "RenderOptions.h"

#include "Animation.h"

#include <cctype>
#include <limits>
#include <optional>
#include <string_view>

namespace ombrix {

namespace {

std::optional<TPictureFormat> FormatOfName(std::string_view file) {
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
    if (suffix == ".webp")
        return TPictureFormat::Webp;
    if (suffix == ".gif")
        return TPictureFormat::Gif;
    return std::nullopt;
}

} // namespace

TRenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
    const TCommandLine line(TProgram::Render, args);
    TRenderOptions o;
    static_cast<TStartOptions&>(o) = StartOptionsFrom(line);
    // The format: --format's, else the file name's ending; standard output gets PNG.
    std::optional<TPictureFormat> format;
    if (const auto v = line.Value("format")) {
        if (*v != "png" && *v != "bmp")
            FailOption("--format", "expected png or bmp, not " + Quoted(*v));
        format = *v == "png" ? TPictureFormat::Png : TPictureFormat::Bmp;
    }
    if (const auto v = line.Value("output")) {
        o.Output = *v;
        const auto named = FormatOfName(*v);
        if (*v != StandardOutput && !format && !named)
            FailOption("--output",
                       "the file name must end in .png, .bmp, .webp or .gif, not " + Quoted(*v));
        if (format && named && *format != *named)
            FailOption("--format", "the file name " + Quoted(*v) + " says otherwise");
        o.Format = format.value_or(named.value_or(TPictureFormat::Png));
    }
    if (const auto v = line.Value("generations"))
        o.Generations =
            CountOption("--generations", *v, 0, std::numeric_limits<TGeneration>::max());
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
    if (const auto v = line.Value("delay"))
        o.Delay = NumberOption("--delay", *v, MinFrameDelay, MaxFrameDelay);
    if (const auto v = line.Value("loop"))
        o.Loop = NumberOption("--loop", *v, 0, MaxLoopCount);
    o.SetWallpaper = line.Has("set-wallpaper");
    o.Quiet = line.Has("quiet");
    o.Help = line.Has("help");
    o.Version = line.Has("version");
    if (!line.Positional().empty())
        FailOption(line.Positional().front(),
                   "unexpected argument; the picture's file name goes after -o");

    if (o.Help || o.Version)
        return o;
    o.RestoreWallpaper = line.Has("restore-wallpaper");
    if (o.RestoreWallpaper) {
        for (const std::string& arg : args)
            if (arg != "--restore-wallpaper" && arg != "-q" && arg != "--quiet")
                FailOption("--restore-wallpaper",
                           "makes no picture, so " + Quoted(arg) + " has no place beside it");
        return o;
    }
    if (!line.Has("output"))
        FailOption("--output", "is required: -o FILE.png or -o FILE.bmp");
    CheckStartOptions(o);
    const bool animation = IsAnimation(o.Format);
    if (line.Has("every") && !o.FramesDir && !animation)
        FailOption("--every", "needs --frames DIR or -o FILE.webp or FILE.gif");
    for (const char* option : {"delay", "loop"})
        if (line.Has(option) && !animation)
            FailOption("--" + std::string(option), "needs -o FILE.webp or FILE.gif");
    return o;
}

std::string RenderUsage() {
    return "Usage: ombrix-render [options] -o FILE\n"
           "Grows an Ombrix picture without a window and writes it as PNG or BMP, or the\n"
           "frames as an animated WebP or GIF.\n"
           "\n" +
           OptionHelp(TProgram::Render) +
           "\n"
           "Exit status: 0 done, 1 failed at run time, 2 wrong command line.\n";
}

} // namespace ombrix
