// Where the settings file lives.
#include "SettingsPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

using namespace ombrix;

namespace {

struct PathRow {
    std::string Executable;
    std::string Settings;
};

const PathRow PathRows[] = {
    {"/opt/app.d/ombrix", "/opt/app.d/ombrix.ini"},
    {"/opt/x/ombrix.bin", "/opt/x/ombrix.ini"},
    {"/a/b.c.exe", "/a/b.c.ini"},
    {"/usr/bin/ombrix", "/usr/bin/ombrix.ini"},
    {"/x/ombrix.", "/x/ombrix.ini"},
    {"/home/u/.ombrix", "/home/u/.ini"},
    {"ombrix", "ombrix.ini"},
    {"ombrix.exe", "ombrix.ini"},
    {"", ".ini"},
    {"D:\\Apps\\wall.exe", "D:\\Apps\\wall.ini"},
    {"D:\\Apps.old\\wall", "D:\\Apps.old\\wall.ini"},
    {"D:\\a.b.exe", "D:\\a.b.ini"},
    {"C:wall", "C:wall.ini"},
    {"a.b:c", "a.b:c.ini"},
    {"/壁紙.d/表示.exe", "/壁紙.d/表示.ini"},
    {"/壁紙.d/表示", "/壁紙.d/表示.ini"},
};

void PrintTo(const PathRow& row, std::ostream* out) {
    *out << row.Executable;
}

class SettingsPath : public ::testing::TestWithParam<PathRow> {};

TEST_P(SettingsPath, ReplacesTheExtensionOfTheLastPart) {
    EXPECT_EQ(SettingsPathFor(GetParam().Executable), GetParam().Settings);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsPath, ::testing::ValuesIn(PathRows));

TEST(ExecutablePath, NamesThisTestProgram) {
    const std::filesystem::path path = ExecutablePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "settings_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

} // namespace
