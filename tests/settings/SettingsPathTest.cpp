// Where the settings file lives.
#include "SettingsPath.h"
#include "Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Copies the file `from` to "./ombrix", runs it with its output to `out`, and removes it.
int RunCopy(const char* from, int out) {
    {
        std::ifstream in(from, std::ios::binary);
        std::ofstream copy("ombrix", std::ios::binary);
        copy << in.rdbuf();
    }
    if (::chmod("ombrix", 0755) != 0)
        return 4;
    const pid_t program = ::fork();
    if (program == 0) {
        ::dup2(out, 1);
        ::execl("./ombrix", "ombrix", nullptr);
        ::_exit(3);
    }
    int status = 0;
    ::waitpid(program, &status, 0);
    ::unlink("ombrix");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 5;
}

// A path longer than the kernel gives through /proc/self/exe still comes back whole.
TEST(ExecutablePath, PathOfMoreThan4096Bytes) {
    ombrix::testing::TempDir dir;
    const std::string part(200, 'd');
    std::string folder = dir.Path().string();
    int depth = 0;
    for (; folder.size() <= 4200; ++depth)
        folder += "/" + part;

    // No system call takes a path that long whole: a child walks down the folders step
    // by step, starts the program by its short name and walks back removing them.
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(out[0]);
        if (::chdir(dir.Path().c_str()) != 0)
            ::_exit(2);
        for (int i = 0; i < depth; ++i)
            if (::mkdir(part.c_str(), 0700) != 0 || ::chdir(part.c_str()) != 0)
                ::_exit(2);
        const int code = RunCopy(PRINT_EXECUTABLE_PATH, out[1]);
        for (int i = 0; i < depth; ++i)
            if (::chdir("..") != 0 || ::rmdir(part.c_str()) != 0)
                ::_exit(6);
        ::_exit(code);
    }
    ::close(out[1]);
    std::string printed;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(printed, folder + "/ombrix");
    EXPECT_EQ(SettingsPathFor(printed), folder + "/ombrix.ini");
}

} // namespace
