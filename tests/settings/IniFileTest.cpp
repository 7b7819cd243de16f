// TIniFile: texts of limited length, numbers as plain decimal, and refused writes.
#include "IniFile.h"
#include "Files.h"
#include "ThrowMessage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

#include <unistd.h>

using namespace ombrix;
using ombrix::testing::FileSizeLimit;
using ombrix::testing::ReadFile;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

namespace {

class TextLength : public ::testing::TestWithParam<std::size_t> {};

TEST_P(TextLength, AtMost1023CharactersComeBack) {
    const std::size_t length = GetParam();
    TempDir dir;
    const TIniFile ini(dir / "s.ini");
    std::string value;
    for (std::size_t i = 0; i < length; ++i)
        value += static_cast<char>('a' + i % 26);
    const std::size_t expected = length < 1023 ? length : 1023;

    // The default too, when the file is missing.
    EXPECT_EQ(ini.ReadText("Pendrel", "FileName", value), value.substr(0, expected));
    TIniFile writer(dir / "s.ini");
    writer.WriteText("Pendrel", "FileName", value);
    writer.UpdateFile();
    EXPECT_EQ(TIniFile(dir / "s.ini").ReadText("Pendrel", "FileName", ""),
              value.substr(0, expected));
    // The file keeps the whole value.
    EXPECT_EQ(ReadFile(dir / "s.ini"), "[Pendrel]\nFileName=" + value + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, TextLength, ::testing::Values(0, 1, 1022, 1023, 1024, 100000));

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    const TIniFile missing(dir / "none.ini");
    EXPECT_EQ(missing.ReadText("Pendrel", "FileName", "d.bmp"), "d.bmp");
    EXPECT_EQ(missing.ReadNumber("Pendrel", "AreaW", 128), 128);
    WriteFile(dir / "s.ini", "[Other]\nAreaW=5\n[Pendrel]\nAreaH=7\n");
    const TIniFile ini(dir / "s.ini");
    EXPECT_EQ(ini.ReadNumber("Pendrel", "AreaW", 128), 128);
    EXPECT_EQ(ini.ReadNumber("Pendrel", "AreaH", 64), 7);
    EXPECT_EQ(ini.ReadNumber("Missing", "AreaH", 64), 64);
}

TEST(IniFile, EmptyTextIsWrittenAsAnEmptyValue) {
    TempDir dir;
    TIniFile ini(dir / "s.ini");
    ini.WriteText("Pendrel", "FileName", "a.bmp");
    ini.WriteText("Pendrel", "FileName", "");
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(dir / "s.ini"), "[Pendrel]\nFileName=\n");
    EXPECT_EQ(TIniFile(dir / "s.ini").ReadText("Pendrel", "FileName", "dflt"), "");
}

struct NumberRow {
    std::int32_t Value;
    const char* Text;
};

void PrintTo(const NumberRow& row, std::ostream* out) {
    *out << row.Value;
}

class WriteNumber : public ::testing::TestWithParam<NumberRow> {};

TEST_P(WriteNumber, PlainDecimalWithMinusForNegatives) {
    TempDir dir;
    TIniFile ini(dir / "s.ini");
    ini.WriteNumber("Pendrel", "Color000", GetParam().Value);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(dir / "s.ini"),
              std::string("[Pendrel]\nColor000=") + GetParam().Text + "\n");
    EXPECT_EQ(TIniFile(dir / "s.ini").ReadNumber("Pendrel", "Color000", 12345), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Table, WriteNumber,
                         ::testing::Values(NumberRow{0, "0"}, NumberRow{7, "7"},
                                           NumberRow{2268, "2268"}, NumberRow{-1, "-1"},
                                           NumberRow{16711680, "16711680"},
                                           NumberRow{2147483647, "2147483647"},
                                           NumberRow{INT32_MIN, "-2147483648"}));

// A write the store refuses throws the settings failure with the full path and changes
// nothing.
enum class Refusal { FolderIsAFile, PathIsAFolder, NoSuchFolder, WriteFails };

class RefusedWrite : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedWrite, ThrowsTheMessageAndLeavesTheFolderAsItWas) {
    TempDir dir;
    const std::string old = "; mine\r\n[Pendrel]\r\nFileName=a.bmp\r\n";
    WriteFile(dir / "ombrix.ini", old);
    WriteFile(dir / "plain", "x");
    std::filesystem::create_directory(dir / "folder.ini");
    std::string path;
    switch (GetParam()) {
    case Refusal::FolderIsAFile:
        path = dir / "plain/ombrix.ini";
        break;
    case Refusal::PathIsAFolder:
        path = dir / "folder.ini";
        break;
    case Refusal::NoSuchFolder:
        path = dir / "missing/ombrix.ini";
        break;
    case Refusal::WriteFails:
        path = dir / "ombrix.ini";
        break;
    }
    const std::set<std::string> names = dir.Names();
    TIniFile ini(path);
    {
        FileSizeLimit limit(GetParam() == Refusal::WriteFails ? old.size() : RLIM_INFINITY);
        ini.WriteText("Pendrel", "FileName", "a much longer name.bmp");
        EXPECT_THROW_ERROR(ini.UpdateFile(), TFailure::WriteSettings, path);
    }
    EXPECT_EQ(ReadFile(dir / "ombrix.ini"), old);
    EXPECT_EQ(dir.Names(), names);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder.ini"));
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedWrite,
                         ::testing::Values(Refusal::FolderIsAFile, Refusal::PathIsAFolder,
                                           Refusal::NoSuchFolder, Refusal::WriteFails));

TEST(IniFile, RelativePathIsShownInFull) {
    TempDir dir;
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    TIniFile ini("missing/ombrix.ini");
    ini.WriteText("Pendrel", "AreaW", "1");
    EXPECT_THROW_ERROR(ini.UpdateFile(), TFailure::WriteSettings,
                       (dir.Path() / "missing/ombrix.ini").string());
    std::filesystem::current_path(cwd);
}

TEST(IniFile, ReadOnlyFileThrows) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    TempDir dir;
    const std::string path = dir / "ombrix.ini";
    WriteFile(path, "[Pendrel]\nAreaW=1\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    TIniFile ini(path);
    ini.WriteNumber("Pendrel", "AreaW", 2);
    EXPECT_THROW_ERROR(ini.UpdateFile(), TFailure::WriteSettings, path);
    EXPECT_EQ(ReadFile(path), "[Pendrel]\nAreaW=1\n");
}

} // namespace
