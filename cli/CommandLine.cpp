#include "CommandLine.h"

#include "ColorTable.h"

#include <QColor>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <limits>

namespace ombrix {

namespace {

constexpr unsigned Render = static_cast<unsigned>(TProgram::Render);
constexpr unsigned Live = static_cast<unsigned>(TProgram::Live);
constexpr unsigned Both = Render | Live;

// clang-format off
constexpr TOptionRow Table[] = {
    {"output", 'o', "FILE", "the picture; FILE ends in .png or .bmp, or .webp or .gif for an "
     "animation of the frames; - is standard output", Render, "file"},
    {"settings", 0, "FILE", "the settings file to start from (default: the window's)", Both, "file"},
    {"generations", 0, "N", "generations after the start (default 300)", Render},
    {"format", 0, "png|bmp", "the picture's format (default: by FILE's ending; PNG for -o -)",
     Render, "png bmp"},
    {"seed", 0, "N|random", "the random source before the start (default 0); random: drawn "
     "and shown", Both, "random"},
    {"field", 0, "WxH", "the field size, up to 16384x16384", Both},
    {"states", 0, "U", "number of states, 1 to 256", Both},
    {"segments", 0, "D", "colour gradient segments, 1 to the states", Both},
    {"tiling", 0, "T", "0 plain grid, 1 every other row shifted", Both, "0 1"},
    {"rule", 0, "G,K1,K2", "G 0 to 100, K1 and K2 1 to 10", Both},
    {"randomize-colours", 0, "", "new random colours after the start", Both},
    {"text", 0, "TEXT", "stamp TEXT into the field before the generations", Both},
    {"font", 0, "\"FAMILY,POINTS[,bold][,italic]\"", "the stamp's font", Both},
    {"text-colour", 0, "COLOUR", "the stamp's colour: a name (red), #RGB or #RRGGBB (default "
     "black)", Both, "black white red green blue yellow"},
    {"zoom", 0, "N", "each cell N x N pixels, 1 to 8 (default 1)", Both, "1 2 3 4 5 6 7 8"},
    {"size", 0, "WxH|screen|tile",
     "a wall of WxH pixels, of the screen's size, or the tile (default)", Render, "screen tile"},
    {"frames", 0, "DIR", "also write DIR/frame-000000.png and on", Render, "dir"},
    {"every", 0, "K", "a frame every K generations (default 1)", Render},
    {"delay", 0, "MS", "an animation's frames each shown MS milliseconds, 20 to 60000 (default: "
     "the speed, at least 20)", Render},
    {"loop", 0, "N", "an animation plays N times, 0 to 65535; 0 for ever (default)", Render},
    {"set-wallpaper", 0, "", "set the picture as the desktop background", Render},
    {"restore-wallpaper", 0, "", "put back the desktop background from before Ombrix's, and "
     "nothing else", Render},
    {"interval", 0, "MS", "one generation every MS milliseconds, 10 to 2000 (default: the speed)",
     Live},
    {"window-id", 0, "ID", "draw into window ID (0x... or decimal), as a screensaver", Live},
    {"root", 0, "", "draw on each screen's root window and leave the last frame there", Live},
    {"plasma", 0, "", "write the frames for the Plasma wallpaper (started by it)", Live},
    {"plasma-folder", 0, "", "print the folder of the Plasma wallpaper's frames", Live},
    {"gnome-shell", 0, "", "draw into one window that the Ombrix GNOME Shell extension shows as "
     "the background (the extension starts it so)", Live},
    {"still-every", 0, "MINUTES", "where nothing else works, a new still background every "
     "MINUTES (default 10)", Live},
    {"on-battery", 0, "pause|run", "on battery power: pause (default) or run", Live, "pause run"},
    {"when-settled", 0, "afresh|stop", "when the field stops changing: start afresh from a "
     "seed drawn from the last one (default) or stop", Live, "afresh stop"},
    {"pause", 0, "", "pause the running live wallpaper", Live},
    {"resume", 0, "", "resume the running live wallpaper", Live},
    {"quit", 0, "", "end the running live wallpaper", Live},
    {"quiet", 'q', "", "no progress line", Render},
    {"help", 'h', "", "this text", Both},
    {"version", 'V', "", "the program's version", Both},
};
// clang-format on

// Arguments go through the toolkit's parser one byte to one character, so that names of
// any bytes come back unchanged; every option name is ASCII.
QString Bytes(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Bytes(const QString& text) {
    return text.toLatin1().toStdString();
}

// Plain decimal digits only, no sign, no blanks; nothing when the text is not one or
// its value passes `max`.
std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t max) {
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > max / 10 || (value == max / 10 && digit > max % 10))
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
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
        FailOption(option, allowed);
    const auto g = WholeNumber(parts[0], 100);
    const auto k1 = WholeNumber(parts[1], 10);
    const auto k2 = WholeNumber(parts[2], 10);
    if (!g || !k1 || !k2 || *k1 < 1 || *k2 < 1)
        FailOption(option, allowed);
    return {static_cast<std::int32_t>(*g), static_cast<std::int32_t>(*k1),
            static_cast<std::int32_t>(*k2)};
}

TFontSpec FontIn(std::string_view option, std::string_view text) {
    const auto parts = SplitCommas(text);
    const auto bad = [&] {
        FailOption(option, "expected \"FAMILY,POINTS[,bold][,italic]\" with POINTS from 1 to "
                           "1000, not " +
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

// A colour by its name (the SVG names: red, darkgreen, ...), #RGB or #RRGGBB.
TColor ColorIn(std::string_view option, std::string_view text) {
    const auto bad = [&] {
        FailOption(option, "expected a colour name (red), #RGB or #RRGGBB, not " + Quoted(text));
    };
    const bool hex = text.size() == 4 || text.size() == 7;
    if (text.empty() || (text[0] == '#' && !hex))
        bad();
    for (const char c : text.substr(1))
        if (!std::isalnum(static_cast<unsigned char>(c)))
            bad();
    const QColor color = QColor::fromString(Bytes(std::string(text)));
    if (!color.isValid() || color.alpha() != 255)
        bad();
    return PackColor(static_cast<std::uint32_t>(color.red()),
                     static_cast<std::uint32_t>(color.green()),
                     static_cast<std::uint32_t>(color.blue()));
}

const TOptionRow* FindRow(const std::vector<TOptionRow>& rows, std::string_view name) {
    for (const TOptionRow& row : rows)
        if (row.Long == name || (name.size() == 1 && row.Short == name[0]))
            return &row;
    return nullptr;
}

// After the toolkit's parser refused a line for a value: the option that lacks its value
// or was given one it does not take, found by walking the line as the parser does.
[[noreturn]] void FailValue(const std::vector<TOptionRow>& rows,
                            const std::vector<std::string>& args, const std::string& fallback) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--")
            break;
        if (arg.starts_with("--")) {
            const auto equals = arg.find('=');
            const TOptionRow* row = FindRow(rows, arg.substr(2, equals - 2));
            if (!row)
                continue;
            const std::string name = "--" + std::string(row->Long);
            if (row->Value.empty() && equals != std::string_view::npos)
                FailOption(name, "takes no value");
            if (!row->Value.empty() && equals == std::string_view::npos && ++i == args.size())
                FailOption(name, "needs a value");
        } else if (arg.size() > 1 && arg[0] == '-') {
            for (std::size_t c = 1; c < arg.size(); ++c) {
                const TOptionRow* row = FindRow(rows, arg.substr(c, 1));
                if (row && !row->Value.empty()) {
                    if (c + 1 == arg.size() && ++i == args.size())
                        FailOption("--" + std::string(row->Long), "needs a value");
                    break;
                }
            }
        }
    }
    throw TUsageError(fallback);
}

} // namespace

std::span<const TOptionRow> OptionTable() {
    return Table;
}

std::vector<TOptionRow> OptionRows(TProgram program) {
    std::vector<TOptionRow> rows;
    for (const TOptionRow& row : Table)
        if (row.For(program))
            rows.push_back(row);
    return rows;
}

TCommandLine::TCommandLine(TProgram program, const std::vector<std::string>& args) {
    const std::vector<TOptionRow> rows = OptionRows(program);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const TOptionRow& row : rows) {
        QStringList names;
        if (row.Short)
            names << QString(QLatin1Char(row.Short));
        names << QString::fromLatin1(row.Long.data(), static_cast<qsizetype>(row.Long.size()));
        QCommandLineOption option(names);
        if (!row.Value.empty())
            option.setValueName(QStringLiteral("VALUE"));
        parser.addOption(option);
    }
    // A long option may also be given with one dash (-root, -window-id ID), as screensaver
    // hosts pass them, unless the word is an option's value or follows "--"; a word whose
    // first letter is no short option is taken as a long one, to be named if unknown.
    std::vector<std::string> given;
    bool valueNext = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        const std::string_view word = std::string_view(arg).substr(0, arg.find('='));
        const TOptionRow* row = nullptr;
        if (!valueNext && !optionsEnded && word.size() > 2 && word[0] == '-' && word[1] != '-' &&
            ((row = FindRow(rows, word.substr(1))) || !FindRow(rows, word.substr(1, 1)))) {
            given.push_back("-" + arg);
            valueNext = row && !row->Value.empty() && word.size() == arg.size();
            continue;
        }
        given.push_back(arg);
        if (valueNext || optionsEnded) {
            valueNext = false;
            continue;
        }
        optionsEnded = arg == "--";
        if (arg.starts_with("--")) {
            row = FindRow(rows, word.substr(2));
            valueNext = row && !row->Value.empty() && word.size() == arg.size();
        } else if (arg.size() > 1 && arg[0] == '-') {
            for (std::size_t c = 1; c < arg.size(); ++c)
                if ((row = FindRow(rows, arg.substr(c, 1))) && !row->Value.empty()) {
                    valueNext = c + 1 == arg.size();
                    break;
                }
        }
    }
    QStringList line{QStringLiteral("program")};
    for (const std::string& arg : given)
        line << Bytes(arg);
    if (!parser.parse(line)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const std::string name = Bytes(unknown.front());
            FailOption((name.size() == 1 ? "-" : "--") + name, "unknown option (see --help)");
        }
        FailValue(rows, given, Bytes(parser.errorText()));
    }
    for (const TOptionRow& row : rows) {
        const QString name =
            QString::fromLatin1(row.Long.data(), static_cast<qsizetype>(row.Long.size()));
        if (!parser.isSet(name))
            continue;
        const QStringList values = parser.values(name);
        Values_[std::string(row.Long)] = values.isEmpty() ? std::string() : Bytes(values.back());
    }
    for (const QString& arg : parser.positionalArguments())
        Positional_.push_back(Bytes(arg));
}

std::optional<std::string> TCommandLine::Value(std::string_view name) const {
    const auto found = Values_.find(name);
    if (found == Values_.end())
        return std::nullopt;
    return found->second;
}

std::string OptionHelp(TProgram program) {
    std::string help;
    for (const TOptionRow& row : OptionRows(program)) {
        std::string left = row.Short ? std::string("  -") + row.Short + ", --" : "      --";
        left += row.Long;
        if (!row.Value.empty())
            left += " " + std::string(row.Value);
        left.resize(std::max<std::size_t>(left.size() + 2, 27), ' ');
        help += left + std::string(row.Help) + "\n";
    }
    return help;
}

void FailOption(std::string_view option, const std::string& what) {
    throw TUsageError(std::string(option) + ": " + what);
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::int64_t CountOption(std::string_view option, std::string_view text, std::int64_t min,
                         std::int64_t max) {
    const auto value = WholeNumber(text, max);
    if (!value || *value < min)
        FailOption(option, "expected a whole number from " + std::to_string(min) + " to " +
                               std::to_string(max) + ", not " + Quoted(text));
    return *value;
}

std::int32_t NumberOption(std::string_view option, std::string_view text, std::int32_t min,
                          std::int32_t max) {
    return static_cast<std::int32_t>(CountOption(option, text, min, max));
}

TPictureSize SizeOption(std::string_view option, std::string_view text, std::string_view also) {
    const auto bad = [&] {
        FailOption(option, std::string("expected WIDTHxHEIGHT, each from 1 to ") +
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

TStartOptions StartOptionsFrom(const TCommandLine& line) {
    TStartOptions o;
    if (const auto v = line.Value("settings")) {
        if (v->empty())
            FailOption("--settings", "needs a file name");
        o.SettingsFile = *v;
    }
    if (const auto v = line.Value("seed"); v && *v == "random") {
        o.RandomSeed = true;
    } else if (v) {
        const auto seed = WholeNumber(*v, std::numeric_limits<std::uint32_t>::max());
        if (!seed)
            FailOption("--seed", "expected a whole number from 0 to 4294967295 or \"random\", "
                                 "not " +
                                     Quoted(*v));
        o.Seed = static_cast<std::uint32_t>(*seed);
    }
    if (const auto v = line.Value("field"))
        o.Field = SizeOption("--field", *v);
    if (const auto v = line.Value("states"))
        o.States = NumberOption("--states", *v, 1, ColorTableSize);
    if (const auto v = line.Value("segments"))
        o.Segments = NumberOption("--segments", *v, 1, ColorTableSize);
    if (const auto v = line.Value("tiling"))
        o.Tiling = NumberOption("--tiling", *v, 0, 1);
    if (const auto v = line.Value("rule"))
        o.Rule = RuleIn("--rule", *v);
    o.RandomizeColors = line.Has("randomize-colours");
    o.Text = line.Value("text");
    if (const auto v = line.Value("font"))
        o.Font = FontIn("--font", *v);
    if (const auto v = line.Value("text-colour"))
        o.TextColor = ColorIn("--text-colour", *v);
    if (const auto v = line.Value("zoom"))
        o.Zoom = NumberOption("--zoom", *v, 1, MaxZoom);
    return o;
}

void CheckStartOptions(const TStartOptions& o) {
    if (o.States && o.Segments && *o.Segments > *o.States)
        FailOption("--segments", "expected a whole number from 1 to the number of states " +
                                     std::to_string(*o.States) + ", not " +
                                     std::to_string(*o.Segments));
    if ((o.Font || o.TextColor) && !o.Text)
        FailOption(o.Font ? "--font" : "--text-colour", "needs --text TEXT");
}

} // namespace ombrix
