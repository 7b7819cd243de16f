// Integer texts: IntFromText, StrictIntFromText and TIniFile::ReadNumber over one table.
#include "IntFromText.h"
#include "Files.h"
#include "IniFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

using namespace ombrix;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

namespace {

struct IntTextRow {
    std::string Text;
    std::optional<std::int32_t> Value;      ///< what IntFromText accepts; nothing: invalid
    std::optional<std::int32_t> ReadNumber; ///< the key's value as ReadNumber gives it
};

// Worked from the definition: the decimal value builds up as v * 10 + d and may not
// exceed 214748364 before a further digit; the hexadecimal one as v * 16 + d and may not
// exceed 0x0FFFFFFF before a further digit; ReadNumber turns a leading "0x"/"0X" into "$"
// only when the text is longer than 2 characters.
const IntTextRow IntTextRows[] = {
    {"128", 128, 128},
    {"0x80", std::nullopt, 128},
    {"0X80", std::nullopt, 128},
    {"$80", 128, 128},
    {"  128", 128, 128},
    {"+128", 128, 128},
    {"-128", -128, -128},
    {"00128", 128, 128},
    {"$ff", 255, 255},
    {"$abcDEF", 0xABCDEF, 0xABCDEF},
    {"0x", std::nullopt, std::nullopt},
    {"0X", std::nullopt, std::nullopt},
    {"0x1G", std::nullopt, std::nullopt},
    {"0x0", std::nullopt, 0},
    {"0xFFFFFFFF", std::nullopt, -1},
    {"0x100000000", std::nullopt, std::nullopt},
    {"0x-80", std::nullopt, std::nullopt},
    {"12.0", std::nullopt, std::nullopt},
    {"+$80", std::nullopt, std::nullopt},
    {"-$80", std::nullopt, std::nullopt},
    {"$-80", std::nullopt, std::nullopt},
    {"$ 80", std::nullopt, std::nullopt},
    {"128 ", std::nullopt, std::nullopt},
    {"1 28", std::nullopt, std::nullopt},
    {"2147483647", 2147483647, 2147483647},
    {"-2147483648", INT32_MIN, INT32_MIN},
    {"0000000000002147483647", 2147483647, 2147483647},
    {"2147483648", std::nullopt, std::nullopt},
    {"-2147483649", std::nullopt, std::nullopt},
    {"2147483650", std::nullopt, std::nullopt},
    {"21474836470", std::nullopt, std::nullopt},
    {"$7FFFFFFF", 2147483647, 2147483647},
    {"$80000000", INT32_MIN, INT32_MIN},
    {"$FFFFFFFF", -1, -1},
    {"$0FFFFFFFF", -1, -1},
    {"$000000000000FF", 255, 255},
    {"$100000000", std::nullopt, std::nullopt},
    {"-0", 0, 0},
    {"+0", 0, 0},
    {"\t128", std::nullopt, std::nullopt},
    {"$", std::nullopt, std::nullopt},
    {"+", std::nullopt, std::nullopt},
    {"-", std::nullopt, std::nullopt},
    {"--1", std::nullopt, std::nullopt},
    {"+-1", std::nullopt, std::nullopt},
    {"", std::nullopt, std::nullopt},
    {"   ", std::nullopt, std::nullopt},
    {"x80", std::nullopt, std::nullopt},
    {"\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x98", std::nullopt, std::nullopt}, // full-width 128
};

void PrintTo(const IntTextRow& row, std::ostream* out) {
    *out << ::testing::PrintToString(row.Text);
}

class IntText : public ::testing::TestWithParam<IntTextRow> {};

constexpr std::int32_t Fallback = -31337;

TEST_P(IntText, ConvertsAsDefined) {
    const IntTextRow& row = GetParam();
    EXPECT_EQ(StrictIntFromText(row.Text), row.Value);
    EXPECT_EQ(IntFromText(row.Text, Fallback), row.Value.value_or(Fallback));
    EXPECT_EQ(IntFromText(row.Text, 0), row.Value.value_or(0));
}

TEST_P(IntText, ReadNumberFromTheSettingsFile) {
    const IntTextRow& row = GetParam();
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    WriteFile(path, "[Pendrel]\nAreaW=" + row.Text + "\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadNumber("Pendrel", "AreaW", Fallback), row.ReadNumber.value_or(Fallback));
}

INSTANTIATE_TEST_SUITE_P(Table, IntText, ::testing::ValuesIn(IntTextRows));

} // namespace
