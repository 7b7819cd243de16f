// Where the settings file lives.
#include "SettingsPath.h"
#include "Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

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

struct ConfigRow {
    const char* XdgConfigHome;
    const char* Home;
    std::string Settings;
};

const ConfigRow ConfigRows[] = {
    {"/x/conf", "/home/u", "/x/conf/ombrix/ombrix.ini"},
    {"/x/conf/", "/home/u", "/x/conf/ombrix/ombrix.ini"},
    {nullptr, "/home/u", "/home/u/.config/ombrix/ombrix.ini"},
    {"", "/home/u", "/home/u/.config/ombrix/ombrix.ini"},
    {"conf", "/home/u", "/home/u/.config/ombrix/ombrix.ini"},
    {"./conf", "/home/u", "/home/u/.config/ombrix/ombrix.ini"},
    {"~/conf", "/home/u", "/home/u/.config/ombrix/ombrix.ini"},
    {"/x/conf", nullptr, "/x/conf/ombrix/ombrix.ini"},
    {nullptr, nullptr, ""},
    {"conf", "home/u", ""},
};

void PrintTo(const ConfigRow& row, std::ostream* out) {
    *out << "XDG_CONFIG_HOME=" << (row.XdgConfigHome ? row.XdgConfigHome : "(unset)")
         << " HOME=" << (row.Home ? row.Home : "(unset)");
}

class ConfigSettings : public ::testing::TestWithParam<ConfigRow> {};

TEST_P(ConfigSettings, FollowsTheXdgRule) {
    const ConfigRow& row = GetParam();
    EXPECT_EQ(std::filesystem::path(ConfigSettingsPath(row.XdgConfigHome, row.Home))
                  .lexically_normal()
                  .string(),
              row.Settings.empty() ? "" : std::filesystem::path(row.Settings).string());
}

INSTANTIATE_TEST_SUITE_P(Table, ConfigSettings, ::testing::ValuesIn(ConfigRows));

// Where each kind of copy keeps its settings. The folders are made under a test folder:
// an installed copy is one whose prefix holds the desktop entry; "as root" is a copy
// whose folder may be written, "as a user" one whose folder may not.
struct ChoiceRow {
    const char* Name;
    const char* Executable;    // under the test folder
    bool Installed;            // the prefix holds share/applications/<id>.desktop
    bool FolderWritable;       // as the process's access(2) would answer
    const char* XdgConfigHome; // under the test folder; null for unset
    bool BesideExists;         // a file beside the program (an earlier version's)
    bool UserFileExists;       // the settings file in the configuration folder
    const char* Path;          // expected, under the test folder
    const char* Earlier;       // expected, under the test folder; "" for none
    const char* Read;          // the file read at start, under the test folder
};

const ChoiceRow ChoiceRows[] = {
    {"BuiltCopy", "src/build/ombrix", false, true, nullptr, false, false, "src/build/ombrix.ini",
     "", "src/build/ombrix.ini"},
    {"InstalledAsRoot", "usr/bin/ombrix", true, true, nullptr, false, false,
     "home/.config/ombrix/ombrix.ini", "usr/bin/ombrix.ini", "home/.config/ombrix/ombrix.ini"},
    {"InstalledAsUser", "usr/bin/ombrix", true, false, "xdg", false, false, "xdg/ombrix/ombrix.ini",
     "usr/bin/ombrix.ini", "xdg/ombrix/ombrix.ini"},
    {"InstalledInHome", "home/.local/bin/ombrix", true, true, nullptr, false, false,
     "home/.config/ombrix/ombrix.ini", "home/.local/bin/ombrix.ini",
     "home/.config/ombrix/ombrix.ini"},
    {"EarlierFileReadOnce", "usr/bin/ombrix", true, false, nullptr, true, false,
     "home/.config/ombrix/ombrix.ini", "usr/bin/ombrix.ini", "usr/bin/ombrix.ini"},
    {"OwnFileBeatsEarlier", "usr/bin/ombrix", true, true, nullptr, true, true,
     "home/.config/ombrix/ombrix.ini", "usr/bin/ombrix.ini", "home/.config/ombrix/ombrix.ini"},
    {"PortableCopy", "stick/Ombrix/ombrix", false, true, "xdg", false, false,
     "stick/Ombrix/ombrix.ini", "", "stick/Ombrix/ombrix.ini"},
    {"SystemFolder", "opt/ombrix/ombrix", false, false, nullptr, false, false,
     "home/.config/ombrix/ombrix.ini", "", "home/.config/ombrix/ombrix.ini"},
    {"SystemFolderWithFile", "opt/ombrix/ombrix", false, false, nullptr, true, false,
     "opt/ombrix/ombrix.ini", "", "opt/ombrix/ombrix.ini"},
};

void PrintTo(const ChoiceRow& row, std::ostream* out) {
    *out << row.Name;
}

class SettingsChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(SettingsChoice, KeepsEachCopysSettingsInItsPlace) {
    const ChoiceRow& row = GetParam();
    ombrix::testing::TempDir dir;
    const std::filesystem::path exe = dir / row.Executable;
    std::filesystem::create_directories(exe.parent_path());
    ombrix::testing::WriteFile(exe, "program");
    if (row.Installed) {
        const std::filesystem::path entry = exe.parent_path() / InstalledEntry;
        std::filesystem::create_directories(entry.parent_path());
        ombrix::testing::WriteFile(entry, "[Desktop Entry]\n");
    }
    if (row.BesideExists)
        ombrix::testing::WriteFile(SettingsPathFor(exe.string()), "[Pendrel]\n");
    const std::string home = dir / "home";
    const std::string xdg = row.XdgConfigHome ? dir / row.XdgConfigHome : "";
    if (row.UserFileExists) {
        std::filesystem::create_directories(dir / "home/.config/ombrix");
        ombrix::testing::WriteFile(dir / "home/.config/ombrix/ombrix.ini", "[Pendrel]\n");
    }
    const auto before = dir.Names();

    TSettingsEnvironment environment;
    environment.XdgConfigHome = row.XdgConfigHome ? xdg.c_str() : nullptr;
    environment.Home = home.c_str();
    environment.FolderWritable = [&](const std::string&) { return row.FolderWritable; };
    const TSettingsFiles files = ChooseSettingsFiles(exe.string(), environment);

    const auto under = [&](const char* relative) {
        return *relative ? dir / relative : std::string();
    };
    EXPECT_EQ(files.Path, under(row.Path));
    EXPECT_EQ(files.Earlier, under(row.Earlier));
    EXPECT_EQ(files.ReadPath(), under(row.Read));
    EXPECT_EQ(dir.Names(), before) << "choosing created something";
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsChoice, ::testing::ValuesIn(ChoiceRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MakeSettingsFolder, CreatesTheMissingFoldersOnly) {
    ombrix::testing::TempDir dir;
    MakeSettingsFolder(dir / "a/b/ombrix/ombrix.ini");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/ombrix"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a/b/ombrix/ombrix.ini"));
    // A file where a folder should be: nothing is created, nothing is thrown.
    ombrix::testing::WriteFile(dir / "file", "x");
    MakeSettingsFolder(dir / "file/ombrix/ombrix.ini");
    EXPECT_EQ(ombrix::testing::ReadFile(dir / "file"), "x");
}

} // namespace
