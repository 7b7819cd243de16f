// Reading and writing the program's settings in section "Pendrel".
#include "Settings.h"
#include "Files.h"
#include "ProfileYardstick.h"
#include "Random.h"
#include "TestModel.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

using namespace ombrix;
using namespace std::string_literals;
using ombrix::testing::BlankModel;
using ombrix::testing::FileSizeLimit;
using ombrix::testing::RandomStateGuard;
using ombrix::testing::ReadFile;
using ombrix::testing::SeedAfter;
using ombrix::testing::SetProfileValue;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

namespace {

// A settings file object for one call.
TIniFile& Ini(const std::string& path) {
    static std::optional<TIniFile> ini;
    ini.emplace(path);
    return *ini;
}

/// The eight parameters, in the order of the settings file.
struct Params {
    std::int32_t TilingType, AreaW, AreaH, PrmG, PrmK1, PrmK2, UseColCnt, ColDiv;
    bool operator==(const Params&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Params& p) {
    return out << "{TilingType " << p.TilingType << ", AreaW " << p.AreaW << ", AreaH " << p.AreaH
               << ", PrmG " << p.PrmG << ", PrmK1 " << p.PrmK1 << ", PrmK2 " << p.PrmK2
               << ", UseColCnt " << p.UseColCnt << ", ColDiv " << p.ColDiv << "}";
}

Params ParamsOf(const TFieldModel& m) {
    return {m.TilingType, m.AreaW, m.AreaH, m.PrmG, m.PrmK1, m.PrmK2, m.UseColCnt, m.ColDiv};
}

void SetParams(TFieldModel& m, const Params& p) {
    m.TilingType = p.TilingType;
    m.AreaW = p.AreaW;
    m.AreaH = p.AreaH;
    m.PrmG = p.PrmG;
    m.PrmK1 = p.PrmK1;
    m.PrmK2 = p.PrmK2;
    m.UseColCnt = p.UseColCnt;
    m.ColDiv = p.ColDiv;
}

constexpr Params DefaultParams{0, 128, 64, 5, 2, 2, 256, 8};
constexpr TColor Untouched = 0xDEADBEEF;

/// A model as the main window starts it, its colour entries marked to see which change.
std::unique_ptr<TFieldModel> MarkedModel() {
    auto m = BlankModel();
    for (TColor& c : m->ColorTable)
        c = Untouched;
    return m;
}

// The first colours drawn from RandSeed 0: the draws give 0, 8, 220, 51, 69, 171, 81, 41,
// 95, each draw taking blue, green and red in turn.
constexpr TColor FirstDrawn = 0x000008DC;
constexpr TColor SecondDrawn = 0x003345AB;
constexpr TColor ThirdDrawn = 0x0051295F;

TEST(ReadSettings, FirstStartWithoutAFile) {
    TempDir dir;
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName = "stale";
    ReadSettings(TIniFile(dir / "ombrix.ini"), *m, speed, fileName);
    EXPECT_EQ(ParamsOf(*m), DefaultParams);
    EXPECT_EQ(speed, 1000);
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(RandSeed, SeedAfter(768));
    EXPECT_EQ(m->ColorTable[0], FirstDrawn);
    EXPECT_EQ(m->ColorTable[1], SecondDrawn);
    EXPECT_EQ(m->ColorTable[2], ThirdDrawn);
    EXPECT_TRUE(dir.Names().empty()); // reading creates nothing
}

TEST(ReadSettings, EveryColorDrawsBeforeItsKeyIsRead) {
    TempDir dir;
    WriteFile(dir / "s.ini", "[Pendrel]\nUseColCnt=3\nColor000=5\nColor002=junk\n");
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(dir / "s.ini"), *m, speed, fileName);
    EXPECT_EQ(m->ColorTable[0], 5u);
    EXPECT_EQ(m->ColorTable[1], SecondDrawn); // entry 0's draw was made though its key exists
    EXPECT_EQ(m->ColorTable[2], ThirdDrawn);
    EXPECT_EQ(m->ColorTable[3], Untouched);
    EXPECT_EQ(RandSeed, SeedAfter(9));
}

struct ColorRow {
    std::string Text;
    TColor Value;
};

void PrintTo(const ColorRow& row, std::ostream* out) {
    *out << ::testing::PrintToString(row.Text);
}

class ColorValue : public ::testing::TestWithParam<ColorRow> {};

TEST_P(ColorValue, Color000KeepsAll32Bits) {
    TempDir dir;
    WriteFile(dir / "s.ini", "[Pendrel]\nUseColCnt=2\nColor000=" + GetParam().Text + "\n");
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(dir / "s.ini"), *m, speed, fileName);
    EXPECT_EQ(m->ColorTable[0], GetParam().Value);
    EXPECT_EQ(m->ColorTable[1], SecondDrawn);
    EXPECT_EQ(RandSeed, SeedAfter(6));
}

INSTANTIATE_TEST_SUITE_P(Table, ColorValue,
                         ::testing::Values(ColorRow{"$FF", 0x0000FF},
                                           ColorRow{"0xFF0000", 0xFF0000},
                                           ColorRow{"-1", 0xFFFFFFFF}, ColorRow{"2268", 0x0008DC},
                                           ColorRow{"16777215", 0xFFFFFF},
                                           ColorRow{"$1000000", 0x1000000},
                                           ColorRow{"-2147483648", 0x80000000},
                                           ColorRow{"junk", FirstDrawn}, ColorRow{"", FirstDrawn}));

// Values outside the working ranges, from an edited or damaged file.
struct RangeRow {
    const char* Name;
    std::string Lines; ///< the body of section Pendrel
    Params Expected;
};

Params With(Params p, std::int32_t Params::*field, std::int32_t value) {
    p.*field = value;
    return p;
}

const RangeRow RangeRows[] = {
    {"AreaW0", "AreaW=0\n", With(DefaultParams, &Params::AreaW, 1)},
    {"AreaW9999", "AreaW=9999\n", With(DefaultParams, &Params::AreaW, 512)},
    {"AreaWNegative", "AreaW=-5\n", With(DefaultParams, &Params::AreaW, 1)},
    {"AreaH0", "AreaH=0\n", With(DefaultParams, &Params::AreaH, 1)},
    {"AreaH300", "AreaH=300\n", With(DefaultParams, &Params::AreaH, 256)},
    {"AreaHNegative", "AreaH=-64\n", With(DefaultParams, &Params::AreaH, 1)},
    {"UseColCnt0", "UseColCnt=0\n", {0, 128, 64, 5, 2, 2, 1, 1}},
    {"UseColCnt300", "UseColCnt=300\n", DefaultParams},
    {"UseColCntNegative", "UseColCnt=-7\n", {0, 128, 64, 5, 2, 2, 1, 1}},
    {"ColDivAboveUseColCnt", "UseColCnt=64\nColDiv=100\n", {0, 128, 64, 5, 2, 2, 64, 64}},
    {"ColDiv0", "ColDiv=0\n", With(DefaultParams, &Params::ColDiv, 1)},
    {"ColDivNegative", "ColDiv=-3\n", With(DefaultParams, &Params::ColDiv, 1)},
    {"PrmK1Zero", "PrmK1=0\n", With(DefaultParams, &Params::PrmK1, 1)},
    {"PrmK1Lowest", "PrmK1=-2147483648\n", With(DefaultParams, &Params::PrmK1, 1)},
    {"PrmK2Eleven", "PrmK2=11\n", With(DefaultParams, &Params::PrmK2, 10)},
    {"PrmGNegative", "PrmG=-1\n", With(DefaultParams, &Params::PrmG, 0)},
    {"PrmG101", "PrmG=101\n", With(DefaultParams, &Params::PrmG, 100)},
    {"TilingTypeKept", "TilingType=-1\n", With(DefaultParams, &Params::TilingType, -1)},
    {"TilingType7Kept", "TilingType=7\n", With(DefaultParams, &Params::TilingType, 7)},
    {"Extremes", "AreaW=$7FFFFFFF\nAreaH=$80000000\n", {0, 512, 1, 5, 2, 2, 256, 8}},
    {"BoundsKept",
     "AreaW=512\nAreaH=256\nUseColCnt=1\nColDiv=1\nPrmG=100\nPrmK1=10\nPrmK2=1\n",
     {0, 512, 256, 100, 10, 1, 1, 1}},
    {"LowerBoundsKept",
     "AreaW=1\nAreaH=1\nUseColCnt=5\nColDiv=5\nPrmG=0\nPrmK1=1\nPrmK2=10\n",
     {0, 1, 1, 0, 1, 10, 5, 5}},
    {"DuplicateKeysFirstWins",
     "AreaW=9999\nAreaW=100\nAreaH=20\nAreaH=30\n",
     {0, 512, 20, 5, 2, 2, 256, 8}},
    {"BinaryAndLongLines",
     std::string(100000, '7') + "\nAreaW=\0\xff\nUseColCnt="s + std::string(100000, '9') +
         "\n\x80\x81\x00=\x01\nAreaH=20\n"s,
     With(DefaultParams, &Params::AreaH, 20)},
};

class OutOfRange : public ::testing::TestWithParam<RangeRow> {};

TEST_P(OutOfRange, ReadsWithTheInvariantsHeld) {
    const RangeRow& row = GetParam();
    TempDir dir;
    WriteFile(dir / "s.ini", "; edited\n[Pendrel]\n" + row.Lines);
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(dir / "s.ini"), *m, speed, fileName);
    EXPECT_EQ(ParamsOf(*m), row.Expected);
    EXPECT_TRUE(1 <= m->AreaW && m->AreaW <= 512 && 1 <= m->AreaH && m->AreaH <= 256);
    EXPECT_TRUE(1 <= m->UseColCnt && m->UseColCnt <= 256);
    EXPECT_TRUE(m->PrmK1 >= 1 && m->PrmK2 >= 1 && 1 <= m->ColDiv && m->ColDiv <= m->UseColCnt);
    // One colour, three draws, per entry in use; the entries beyond are not touched.
    EXPECT_EQ(RandSeed, SeedAfter(3 * row.Expected.UseColCnt));
    EXPECT_EQ(m->ColorTable[0], FirstDrawn);
    if (row.Expected.UseColCnt < 256) {
        EXPECT_EQ(m->ColorTable[row.Expected.UseColCnt], Untouched);
    }
    EXPECT_EQ(speed, 1000);
}

INSTANTIATE_TEST_SUITE_P(Table, OutOfRange, ::testing::ValuesIn(RangeRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct ClampRow {
    Params In;
    Params Out;
};

void PrintTo(const ClampRow& row, std::ostream* out) {
    *out << row.In;
}

class Clamp : public ::testing::TestWithParam<ClampRow> {};

TEST_P(Clamp, BringsEachParameterToTheNearerBound) {
    auto m = MarkedModel();
    SetParams(*m, GetParam().In);
    m->Field[5][5] = 77;
    m->ColorTable[3] = 0xABCDEF;
    ClampToWorkingRanges(*m);
    EXPECT_EQ(ParamsOf(*m), GetParam().Out);
    EXPECT_EQ(m->Field[5][5], 77);
    EXPECT_EQ(m->ColorTable[3], 0xABCDEFu);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Clamp,
    ::testing::Values(
        ClampRow{DefaultParams, DefaultParams},
        ClampRow{{5, 0, 0, -1, 0, 0, 0, 0}, {5, 1, 1, 0, 1, 1, 1, 1}},
        ClampRow{{-1, 513, 257, 101, 11, 11, 257, 257}, {-1, 512, 256, 100, 10, 10, 256, 256}},
        ClampRow{{0, 512, 256, 100, 10, 10, 256, 256}, {0, 512, 256, 100, 10, 10, 256, 256}},
        ClampRow{{1, 1, 1, 0, 1, 1, 1, 1}, {1, 1, 1, 0, 1, 1, 1, 1}},
        ClampRow{{0, 128, 64, 5, 2, 2, 16, 17}, {0, 128, 64, 5, 2, 2, 16, 16}},
        ClampRow{{0, 128, 64, 5, 2, 2, 300, 280}, {0, 128, 64, 5, 2, 2, 256, 256}},
        ClampRow{{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN,
                  INT32_MAX},
                 {INT32_MIN, 512, 1, 0, 10, 1, 1, 1}}));

struct SpeedRow {
    std::optional<std::string> Text; ///< nothing: no Speed key
    std::int32_t Speed;
};

void PrintTo(const SpeedRow& row, std::ostream* out) {
    *out << (row.Text ? ::testing::PrintToString(*row.Text) : "no key");
}

class Speed : public ::testing::TestWithParam<SpeedRow> {};

TEST_P(Speed, IsClampedOnReadingAndWrittenBackInRange) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    WriteFile(path, "[Pendrel]\nUseColCnt=1\n" +
                        (GetParam().Text ? "Speed=" + *GetParam().Text + "\n" : ""s));
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    TIniFile ini(path);
    ReadSettings(ini, *m, speed, fileName);
    EXPECT_EQ(speed, GetParam().Speed);
    WriteSettings(ini, *m, speed, fileName);
    EXPECT_EQ(TIniFile(path).ReadText("Pendrel", "Speed", ""), std::to_string(GetParam().Speed));
}

INSTANTIATE_TEST_SUITE_P(Table, Speed,
                         ::testing::Values(SpeedRow{std::nullopt, 1000}, SpeedRow{"5", 10},
                                           SpeedRow{"99999", 2000}, SpeedRow{"9", 10},
                                           SpeedRow{"10", 10}, SpeedRow{"11", 11},
                                           SpeedRow{"1999", 1999}, SpeedRow{"2000", 2000},
                                           SpeedRow{"2001", 2000}, SpeedRow{"-5", 10},
                                           SpeedRow{"0x64", 100}, SpeedRow{"junk", 1000}));

TEST(WriteSettings, SpeedOutsideTheTrackBarIsWrittenInRange) {
    TempDir dir;
    const std::string path = dir / "s.ini";
    auto m = MarkedModel();
    SetParams(*m, {0, 128, 64, 5, 2, 2, 1, 1});
    WriteSettings(Ini(path), *m, 5, "");
    EXPECT_EQ(TIniFile(path).ReadNumber("Pendrel", "Speed", 0), 10);
    WriteSettings(Ini(path), *m, 99999, "");
    EXPECT_EQ(TIniFile(path).ReadNumber("Pendrel", "Speed", 0), 2000);
}

TEST(WriteSettings, NewFileInTheOrderOfTheWrites) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    auto m = MarkedModel();
    SetParams(*m, {1, 200, 100, 7, 3, 4, 3, 2});
    m->ColorTable[0] = 0x000008DC;
    m->ColorTable[1] = 0xFFFFFFFF;
    m->ColorTable[2] = 0xFF0000;
    m->ColorTable[3] = 0x123; // beyond UseColCnt: not written
    WriteSettings(Ini(path), *m, 250, "壁紙.bmp");
    EXPECT_EQ(ReadFile(path), "[Pendrel]\nFileName=壁紙.bmp\nTilingType=1\nAreaW=200\n"
                              "AreaH=100\nPrmG=7\nPrmK1=3\nPrmK2=4\nUseColCnt=3\nColDiv=2\n"
                              "Speed=250\nColor000=2268\nColor001=-1\nColor002=16711680\n");

    // Read back: the same values, and still one draw per colour channel.
    const RandomStateGuard seed(0);
    auto back = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(path), *back, speed, fileName);
    EXPECT_EQ(ParamsOf(*back), ParamsOf(*m));
    EXPECT_EQ(speed, 250);
    EXPECT_EQ(fileName, "壁紙.bmp");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(back->ColorTable[i], m->ColorTable[i]) << i;
    EXPECT_EQ(back->ColorTable[3], Untouched);
    EXPECT_EQ(RandSeed, SeedAfter(9));
}

TEST(WriteSettings, DefaultsWithAllColorsRoundTrip) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(path), *m, speed, fileName);
    WriteSettings(Ini(path), *m, speed, fileName);
    const std::string written = ReadFile(path);
    EXPECT_NE(written.find("\nColor255="), std::string::npos);
    EXPECT_EQ(written.find("\nColor256="), std::string::npos);

    RandSeed = 12345; // the colours now come from the file, whatever is drawn
    auto back = MarkedModel();
    ReadSettings(TIniFile(path), *back, speed, fileName);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(back->ColorTable[i], m->ColorTable[i]) << i;
    WriteSettings(Ini(path), *back, speed, fileName);
    EXPECT_EQ(ReadFile(path), written);
}

TEST(Settings, UseColCnt64ReadsAndWritesOnlyItsColors) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    std::string before = "[Pendrel]\nUseColCnt=64\n";
    std::string keptColors;
    for (int i = 0; i < 100; ++i) {
        const std::string line = ColorKey(i) + "=" + std::to_string(1000 + i) + "\n";
        before += line;
        if (i >= 64)
            keptColors += line;
    }
    WriteFile(path, before);

    const RandomStateGuard seed(0);
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName;
    ReadSettings(TIniFile(path), *m, speed, fileName);
    EXPECT_EQ(m->UseColCnt, 64);
    EXPECT_EQ(RandSeed, SeedAfter(192));
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(m->ColorTable[i], static_cast<TColor>(1000 + i)) << i;
    for (int i = 64; i < 256; ++i)
        EXPECT_EQ(m->ColorTable[i], Untouched) << i;

    for (int i = 0; i < 256; ++i)
        m->ColorTable[i] = static_cast<TColor>(5000 + i);
    WriteSettings(Ini(path), *m, speed, "pic.bmp");
    std::string expected = "[Pendrel]\nUseColCnt=64\n";
    for (int i = 0; i < 64; ++i)
        expected += ColorKey(i) + "=" + std::to_string(5000 + i) + "\n";
    expected += keptColors;
    expected += "FileName=pic.bmp\nTilingType=0\nAreaW=128\nAreaH=64\nPrmG=5\nPrmK1=2\nPrmK2=2\n"
                "ColDiv=8\nSpeed=1000\n";
    EXPECT_EQ(ReadFile(path), expected);
}

TEST(ColorKey, ThreeDigitsAtLeast) {
    EXPECT_EQ(ColorKey(0), "Color000");
    EXPECT_EQ(ColorKey(5), "Color005");
    EXPECT_EQ(ColorKey(64), "Color064");
    EXPECT_EQ(ColorKey(255), "Color255");
}

TEST(WriteSettings, ForeignLinesStayByteForByte) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    WriteFile(path, "; Ombrix settings\r\n[Window]\r\nLeft=10\r\n\r\n[Pendrel]\r\nAreaW=100\r\n"
                    "Color000=1\r\nColor001=2\r\nColor002=3\r\n\r\n[Extra]\r\nk=v\r\n");
    auto m = MarkedModel();
    SetParams(*m, {0, 128, 64, 5, 2, 2, 2, 8});
    m->ColorTable[0] = 11;
    m->ColorTable[1] = 22;
    WriteSettings(Ini(path), *m, 1000, "");
    EXPECT_EQ(ReadFile(path),
              "; Ombrix settings\r\n[Window]\r\nLeft=10\r\n\r\n[Pendrel]\r\nAreaW=128\r\n"
              "Color000=11\r\nColor001=22\r\nColor002=3\r\nFileName=\r\nTilingType=0\r\n"
              "AreaH=64\r\nPrmG=5\r\nPrmK1=2\r\nPrmK2=2\r\nUseColCnt=2\r\nColDiv=8\r\n"
              "Speed=1000\r\n\r\n[Extra]\r\nk=v\r\n");
}

TEST(WriteSettings, RefusedWriteLeavesTheWholeOldFile) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    const std::string before = "[Pendrel]\nFileName=a.bmp\nTilingType=0\nAreaW=128\nAreaH=64\n"
                               "PrmG=5\nPrmK1=2\nPrmK2=2\nUseColCnt=2\nColDiv=8\nSpeed=50\n"
                               "Color000=111\nColor001=222\n";
    WriteFile(path, before);
    auto m = MarkedModel();
    SetParams(*m, {1, 256, 32, 6, 3, 4, 2, 1}); // every value as long as the one in the file
    m->ColorTable[0] = 333;
    m->ColorTable[1] = 444;
    {
        // The file may not grow: Speed=1500 needs more room.
        FileSizeLimit limit(before.size());
        EXPECT_THROW_ERROR(WriteSettings(Ini(path), *m, 1500, "b.bmp"), TFailure::WriteSettings,
                           path);
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(dir.Names(), std::set<std::string>{"ombrix.ini"});
}

TEST(WriteSettings, NoFolderThrowsAtTheFirstWrite) {
    TempDir dir;
    const std::string path = dir / "gone/ombrix.ini";
    auto m = MarkedModel();
    SetParams(*m, DefaultParams);
    EXPECT_THROW_ERROR(WriteSettings(Ini(path), *m, 1000, ""), TFailure::WriteSettings, path);
    EXPECT_TRUE(dir.Names().empty());
}

// The one replacement at exit holds what writing each key by itself would have written.
TEST(WriteSettings, OneReplacementGivesTheBytesOfKeyByKeyWrites) {
    TempDir dir;
    const std::string start = "; mine\r\n[Pendrel]\r\nColor001=1\r\nAreaW=5\r\nareaw=6\r\n"
                              "[Other]\r\nSpeed=3\r\n[PENDREL]\r\nPrmG=1";
    WriteFile(dir / "batch.ini", start);
    auto m = MarkedModel();
    SetParams(*m, {1, 300, 20, 7, 3, 4, 3, 2});
    for (int i = 0; i < 3; ++i)
        m->ColorTable[i] = static_cast<TColor>(0x00FFFFFF - i);
    WriteSettings(Ini(dir / "batch.ini"), *m, 77, " name.bmp");

    const std::pair<const char*, std::string> writes[] = {{"FileName", " name.bmp"},
                                                          {"TilingType", "1"},
                                                          {"AreaW", "300"},
                                                          {"AreaH", "20"},
                                                          {"PrmG", "7"},
                                                          {"PrmK1", "3"},
                                                          {"PrmK2", "4"},
                                                          {"UseColCnt", "3"},
                                                          {"ColDiv", "2"},
                                                          {"Speed", "77"},
                                                          {"Color000", "16777215"},
                                                          {"Color001", "16777214"},
                                                          {"Color002", "16777213"}};
    std::string keyByKey = start;
    for (const auto& [key, value] : writes)
        keyByKey = SetProfileValue(keyByKey, "Pendrel", key, value).value();
    EXPECT_EQ(ReadFile(dir / "batch.ini"), keyByKey);
}

// A file that cannot be read gives the defaults, in range, and says why.
TEST(ReadSettings, UnreadableFileGivesTheDefaults) {
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    WriteFile(path, "[Pendrel]\nPrmK1=0\nAreaW=0\n");
    std::filesystem::resize_file(path, std::uintmax_t{1} << 40); // sparse
    RandSeed = 0;
    auto m = MarkedModel();
    std::int32_t speed = 0;
    std::string fileName = "old";
    TIniFile ini(path);
    ReadSettings(ini, *m, speed, fileName);
    EXPECT_EQ(ParamsOf(*m), DefaultParams);
    EXPECT_EQ(speed, 1000);
    EXPECT_EQ(fileName, "");
    EXPECT_EQ(m->ColorTable[0], FirstDrawn);
    EXPECT_EQ(ini.ReadError(), std::errc::file_too_large);
    EXPECT_EQ(ini.ReadFailure().Failure(), TFailure::ReadFile);
    EXPECT_EQ(ini.ReadFailure().Subject(), path);
}

} // namespace
