#include "RenderOptions.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace ombrix;

namespace {

using Args = std::vector<std::string>;

std::vector<std::string> Split(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

struct BadLine {
    const char* Line;
    const char* Message;
};

// Every usage error, with the one line that names the option and what it takes.
const BadLine BadLines[] = {
    {"", "--output: is required: -o FILE.png or -o FILE.bmp"},
    {"-o x.jpg", "--output: the file name must end in .png, .bmp, .webp or .gif, not \"x.jpg\""},
    {"-o dir.png/x",
     "--output: the file name must end in .png, .bmp, .webp or .gif, not \"dir.png/x\""},
    {"-o", "--output: needs a value"},
    {"-o x.png --bogus", "--bogus: unknown option (see --help)"},
    {"-o x.png extra", "extra: unexpected argument; the picture's file name goes after -o"},
    {"-o x.png --quiet=1", "--quiet: takes no value"},
    {"-o x.png --generations -1",
     "--generations: expected a whole number from 0 to 9223372036854775807, not \"-1\""},
    {"-o x.png --generations 9223372036854775808",
     "--generations: expected a whole number from 0 to 9223372036854775807, not "
     "\"9223372036854775808\""},
    {"-o x.png --generations 99999999999999999999",
     "--generations: expected a whole number from 0 to 9223372036854775807, not "
     "\"99999999999999999999\""},
    {"-o x.png --seed 4294967296",
     "--seed: expected a whole number from 0 to 4294967295 or \"random\", not \"4294967296\""},
    {"-o x.gif --format gif", "--format: expected png or bmp, not \"gif\""},
    {"-o x.png --format bmp", "--format: the file name \"x.png\" says otherwise"},
    {"-o - --text A --text-colour #f8",
     "--text-colour: expected a colour name (red), #RGB or #RRGGBB, not \"#f8\""},
    {"-o - --text A --text-colour nosuchcolour",
     "--text-colour: expected a colour name (red), #RGB or #RRGGBB, not \"nosuchcolour\""},
    {"-o x.png --field 16385x10",
     "--field: expected WIDTHxHEIGHT, each from 1 to 16384, not \"16385x10\""},
    {"-o x.png --field 0x10", "--field: expected WIDTHxHEIGHT, each from 1 to 16384, not \"0x10\""},
    {"-o x.png --field 100", "--field: expected WIDTHxHEIGHT, each from 1 to 16384, not \"100\""},
    {"-o x.png --states 257", "--states: expected a whole number from 1 to 256, not \"257\""},
    {"-o x.png --segments 0", "--segments: expected a whole number from 1 to 256, not \"0\""},
    {"-o x.png --states 8 --segments 9",
     "--segments: expected a whole number from 1 to the number of states 8, not 9"},
    {"-o x.png --tiling 2", "--tiling: expected a whole number from 0 to 1, not \"2\""},
    {"-o x.png --rule 5,2",
     "--rule: expected G,K1,K2 with G from 0 to 100 and K1, K2 from 1 to 10, not \"5,2\""},
    {"-o x.png --rule 5,0,2",
     "--rule: expected G,K1,K2 with G from 0 to 100 and K1, K2 from 1 to 10, not \"5,0,2\""},
    {"-o x.png --text A --font Sans,0",
     "--font: expected \"FAMILY,POINTS[,bold][,italic]\" with POINTS from 1 to 1000, not "
     "\"Sans,0\""},
    {"-o x.png --text A --font Sans,12,heavy",
     "--font: expected \"FAMILY,POINTS[,bold][,italic]\" with POINTS from 1 to 1000, not "
     "\"Sans,12,heavy\""},
    {"-o x.png --text A --text-colour 123456",
     "--text-colour: expected a colour name (red), #RGB or #RRGGBB, not \"123456\""},
    {"-o x.png --font Sans,12", "--font: needs --text TEXT"},
    {"-o x.png --text-colour #000000", "--text-colour: needs --text TEXT"},
    {"-o x.png --size 800", "--size: expected WIDTHxHEIGHT, each from 1 to 16384, or \"screen\" "
                            "or \"tile\", not \"800\""},
    {"-o x.png --every 5", "--every: needs --frames DIR or -o FILE.webp or FILE.gif"},
    {"-o x.gif --delay 19", "--delay: expected a whole number from 20 to 60000, not \"19\""},
    {"-o x.webp --delay 60001", "--delay: expected a whole number from 20 to 60000, not \"60001\""},
    {"-o x.png --delay 100", "--delay: needs -o FILE.webp or FILE.gif"},
    {"-o x.WebP --loop 65536", "--loop: expected a whole number from 0 to 65535, not \"65536\""},
    {"-o x.bmp --loop 2", "--loop: needs -o FILE.webp or FILE.gif"},
    {"-o x.png --zoom 9", "--zoom: expected a whole number from 1 to 8, not \"9\""},
    {"-o x.png --zoom 0", "--zoom: expected a whole number from 1 to 8, not \"0\""},
    {"-qx -o x.png", "-x: unknown option (see --help)"},
    {"-o x.png -q --text", "--text: needs a value"},
    {"-o x.png --set-wallpaper=yes", "--set-wallpaper: takes no value"},
    {"--restore-wallpaper -o x.png",
     "--restore-wallpaper: makes no picture, so \"-o\" has no place beside it"},
    {"--set-wallpaper --restore-wallpaper",
     "--restore-wallpaper: makes no picture, so \"--set-wallpaper\" has no place beside it"},
    {"-o x.png -- --quiet", "--quiet: unexpected argument; the picture's file name goes after -o"},
    {"-o x.png --frames f --every 0",
     "--every: expected a whole number from 1 to 2147483647, not \"0\""},
};

void PrintTo(const BadLine& bad, std::ostream* out) {
    *out << "\"" << bad.Line << "\"";
}

class UsageErrors : public ::testing::TestWithParam<BadLine> {};

TEST_P(UsageErrors, NameTheOptionAndWhatIsAllowed) {
    try {
        ParseRenderOptions(Split(GetParam().Line));
        FAIL() << "accepted: " << GetParam().Line;
    } catch (const TUsageError& error) {
        EXPECT_STREQ(error.what(), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UsageErrors, ::testing::ValuesIn(BadLines));

TEST(RenderOptions, DefaultsAreTheWindowsStart) {
    const TRenderOptions o = ParseRenderOptions({"-o", "x.PNG"});
    EXPECT_EQ(o.Output, "x.PNG");
    EXPECT_EQ(o.Format, TPictureFormat::Png);
    EXPECT_EQ(o.Generations, 300);
    EXPECT_EQ(o.Seed, 0u);
    EXPECT_FALSE(o.SettingsFile || o.Field || o.States || o.Segments || o.Tiling || o.Rule ||
                 o.Text || o.FramesDir);
    EXPECT_EQ(o.Kind, TOutputKind::Tile);
    EXPECT_FALSE(o.RandomizeColors || o.SetWallpaper || o.Quiet);
}

TEST(RenderOptions, EveryOptionTakesItsValue) {
    const TRenderOptions o = ParseRenderOptions({"--output=a/b.Bmp",
                                                 "--settings",
                                                 "s.ini",
                                                 "--generations",
                                                 "9223372036854775807",
                                                 "--seed",
                                                 "4294967295",
                                                 "--field",
                                                 "16384x3",
                                                 "--states",
                                                 "16",
                                                 "--segments=16",
                                                 "--tiling",
                                                 "1",
                                                 "--rule",
                                                 "0,1,10",
                                                 "--randomize-colours",
                                                 "--text",
                                                 "Hi there",
                                                 "--font",
                                                 "DejaVu Sans,30,italic,bold",
                                                 "--text-colour",
                                                 "#FF8001",
                                                 "--size",
                                                 "3840x2160",
                                                 "--frames",
                                                 "f",
                                                 "--every",
                                                 "7",
                                                 "--set-wallpaper",
                                                 "-q"});
    EXPECT_EQ(o.Output, "a/b.Bmp");
    EXPECT_EQ(o.Format, TPictureFormat::Bmp);
    EXPECT_EQ(o.SettingsFile, "s.ini");
    EXPECT_EQ(o.Generations, 9223372036854775807);
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_EQ(o.Field, (TPictureSize{16384, 3}));
    EXPECT_EQ(o.States, 16);
    EXPECT_EQ(o.Segments, 16);
    EXPECT_EQ(o.Tiling, 1);
    EXPECT_EQ(o.Rule, (TRule{0, 1, 10}));
    EXPECT_TRUE(o.RandomizeColors);
    EXPECT_EQ(o.Text, "Hi there");
    EXPECT_EQ(o.Font, (TFontSpec{"DejaVu Sans", 30, true, true}));
    EXPECT_EQ(o.TextColor, 0x0180FFu); // 0x00BBGGRR
    EXPECT_EQ(o.Kind, TOutputKind::Wall);
    EXPECT_EQ(o.WallSize, (TPictureSize{3840, 2160}));
    EXPECT_EQ(o.FramesDir, "f");
    EXPECT_EQ(o.Every, 7);
    EXPECT_TRUE(o.SetWallpaper);
    EXPECT_TRUE(o.Quiet);
}

// Combined short options, a value glued to its short option, the last of a repeated
// option, and a value that looks like an option.
TEST(RenderOptions, HabitsOfTheCommandLine) {
    const TRenderOptions o =
        ParseRenderOptions({"-qoa.bmp", "--zoom", "8", "--zoom=3", "--text", "-q", "--"});
    EXPECT_TRUE(o.Quiet);
    EXPECT_EQ(o.Output, "a.bmp");
    EXPECT_EQ(o.Zoom, 3);
    EXPECT_EQ(o.Text, "-q");
    EXPECT_TRUE(ParseRenderOptions({"-qV"}).Version);
    // Standard output, PNG unless --format says BMP; a name of any ending with --format.
    EXPECT_EQ(ParseRenderOptions({"-o", "-"}).Format, TPictureFormat::Png);
    EXPECT_EQ(ParseRenderOptions({"-o-", "--format=bmp"}).Format, TPictureFormat::Bmp);
    EXPECT_EQ(ParseRenderOptions({"-o", "x.img", "--format", "bmp"}).Format, TPictureFormat::Bmp);
    EXPECT_TRUE(ParseRenderOptions({"-o", "x.png", "--seed", "random"}).RandomSeed);
    // Colours by name and in short: 0x00BBGGRR.
    const auto colour = [](const char* text) {
        return *ParseRenderOptions({"-o", "x.png", "--text", "A", "--text-colour", text}).TextColor;
    };
    EXPECT_EQ(colour("red"), 0x0000FFu);
    EXPECT_EQ(colour("DarkGreen"), 0x006400u);
    EXPECT_EQ(colour("#f80"), 0x0088FFu);
    EXPECT_EQ(colour("#ff8800"), 0x0088FFu);
    EXPECT_EQ(ParseRenderOptions({"-o", "x.png"}).Zoom, 1);
}

// The live program reads the same shared rows and its own, also with one dash as
// screensaver hosts give them; the renderer knows none of the live program's own rows.
TEST(CommandLine, OneTableForBothPrograms) {
    const TCommandLine live(TProgram::Live,
                            {"-root", "-window-id", "0x1a", "--text", "-root", "--zoom=2", "x"});
    EXPECT_TRUE(live.Has("root"));
    EXPECT_EQ(live.Value("window-id"), "0x1a");
    EXPECT_EQ(StartOptionsFrom(live).Text, "-root");
    EXPECT_EQ(StartOptionsFrom(live).Zoom, 2);
    EXPECT_EQ(live.Positional(), std::vector<std::string>{"x"});
    EXPECT_THROW_MSG(TCommandLine(TProgram::Live, {"-window-id"}), TUsageError,
                     "--window-id: needs a value");
    EXPECT_THROW_MSG(ParseRenderOptions({"-o", "x.png", "-root"}), TUsageError,
                     "--root: unknown option (see --help)");
}

TEST(RenderOptions, HelpAndVersionNeedNoOutput) {
    EXPECT_TRUE(ParseRenderOptions({"-h"}).Help);
    EXPECT_TRUE(ParseRenderOptions({"--version"}).Version);
    EXPECT_EQ(ParseRenderOptions({"--size", "screen", "-o", "s.png"}).Kind, TOutputKind::Screen);
}

} // namespace
