#include "SafeFile.h"
#include "Error.h"
#include "Files.h"
#include "WholeFile.h"
#include "detail/SystemCalls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ombrix;
namespace fs = std::filesystem;

namespace {

using ombrix::testing::ReadFile;
using ombrix::testing::TempDir;
using ombrix::testing::WriteFile;

// ReplaceFile's failure, if it throws one.
std::optional<TError> Replaced(const std::string& path,
                               std::initializer_list<std::string_view> parts) {
    try {
        ReplaceFile(path, parts);
    } catch (const TError& error) {
        return error;
    }
    return std::nullopt;
}

class SafeFileTest : public ::testing::Test {
protected:
    std::set<std::string> Entries() const { return Temp.Names(); }
    TempDir Temp;
    const fs::path Dir = Temp.Path();
};

// ---- Failures of the file being written, through the system call table ----------------

// The fake disk: takes `Capacity` bytes in all, at most `MostPerCall` per call, then
// refuses with `Errno` (0: takes nothing and says nothing).
struct TDisk {
    std::size_t Capacity;
    int Errno;
    std::size_t MostPerCall;
    bool SyncFails;
    std::size_t Taken = 0;
};
TDisk Disk{};

ssize_t FakeWrite(int fd, const void* data, std::size_t size) {
    if (Disk.Taken >= Disk.Capacity) {
        errno = Disk.Errno;
        return Disk.Errno == 0 ? 0 : -1;
    }
    const std::size_t n = std::min({size, Disk.Capacity - Disk.Taken, Disk.MostPerCall});
    const ssize_t written = ::write(fd, data, n);
    if (written > 0)
        Disk.Taken += static_cast<std::size_t>(written);
    return written;
}

int FakeSync(int fd) {
    if (Disk.SyncFails) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}

int NoUnnamedFiles(const char*, mode_t) {
    errno = EOPNOTSUPP;
    return -1;
}

struct WriteFailureCase {
    const char* Name;
    TDisk Disk;
    int Error; // the error reported; 0 when the whole file goes in
};

void PrintTo(const WriteFailureCase& c, std::ostream* os) {
    *os << c.Name;
}

constexpr std::size_t Unlimited = 1 << 20;

// The new content: a 14-byte head and an 88-byte body, written as two parts.
const std::string Head = "HEAD-14-BYTES!";
const std::string Body(88, 'b');

// Each case runs with unnamed new files and with named ones, each time once for a new
// name and once over an existing file.
class WriteFailure : public SafeFileTest,
                     public ::testing::WithParamInterface<std::tuple<WriteFailureCase, bool>> {
protected:
    std::optional<TError> Replace(const fs::path& target) {
        const auto& [c, unnamed] = GetParam();
        Disk = c.Disk;
        detail::TSystemCalls calls{FakeWrite, FakeSync, detail::RealSystemCalls().OpenUnnamed};
        if (!unnamed)
            calls.OpenUnnamed = NoUnnamedFiles;
        detail::TSystemCallsSwap swap(calls);
        return Replaced(target.string(), {Head, Body});
    }
};

TEST_P(WriteFailure, LeavesTheOldFileOrTheWholeNewOneAndNothingElse) {
    const WriteFailureCase& c = std::get<0>(GetParam());
    const fs::path fresh = Dir / "fresh";
    const auto failure = Replace(fresh);
    if (c.Error == 0) {
        EXPECT_FALSE(failure);
        EXPECT_EQ(ReadFile(fresh), Head + Body);
        EXPECT_EQ(Entries(), std::set<std::string>{"fresh"});
        return;
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Failure(), TFailure::WriteFile);
    EXPECT_EQ(failure->Code().value(), c.Error);
    EXPECT_TRUE(Entries().empty());

    const fs::path existing = Dir / "existing";
    WriteFile(existing, "the old content");
    const auto again = Replace(existing);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Failure(), TFailure::WriteFile);
    EXPECT_EQ(ReadFile(existing), "the old content");
    EXPECT_EQ(Entries(), std::set<std::string>{"existing"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteFailure,
    ::testing::Combine(
        ::testing::Values(
            WriteFailureCase{"DiskFullInTheBody", {60, ENOSPC, Unlimited, false}, ENOSPC},
            WriteFailureCase{"DiskFullInTheHead", {10, ENOSPC, Unlimited, false}, ENOSPC},
            WriteFailureCase{"DiskFullAfterTheHead", {14, ENOSPC, Unlimited, false}, ENOSPC},
            WriteFailureCase{"LastByteMissing", {101, EFBIG, Unlimited, false}, EFBIG},
            // A write that takes nothing and reports nothing counts as a full disk.
            WriteFailureCase{"NoProgress", {50, 0, Unlimited, false}, ENOSPC},
            WriteFailureCase{"SyncFails", {Unlimited, 0, Unlimited, true}, EIO},
            // Writes that take a few bytes at a time still give the whole file.
            WriteFailureCase{"PartialWritesComplete", {Unlimited, 0, 7, false}, 0}),
        ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).Name) +
               (std::get<1>(info.param) ? "Unnamed" : "Named");
    });

// ---- Where the new file goes ----------------------------------------------------------

// Runs `body` in a child process that is not root (root writes into any folder), and
// gives its exit code.
template <typename F> int AsOrdinaryUser(const fs::path& dir, F body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t nobody = 65534;
            for (const auto& entry : fs::recursive_directory_iterator(dir))
                if (::lchown(entry.path().c_str(), nobody, nobody) != 0)
                    ::_exit(99);
            if (::chown(dir.c_str(), nobody, nobody) != 0 || ::setgid(nobody) != 0 ||
                ::setuid(nobody) != 0)
                ::_exit(99);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(SafeFileTest, FolderWithoutWriteRightsStillTakesAWritableFileInPlace) {
    const fs::path target = Dir / "settings.ini";
    WriteFile(target, std::string(500, 'o')); // longer than the new content
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);

    // 1: the existing file was not written, 2: a new file could be made in the folder.
    const int code = AsOrdinaryUser(Dir, [&] {
        if (::chmod(Dir.c_str(), 0555) != 0)
            return 98;
        if (Replaced(target.string(), {Head, Body}))
            return 1;
        const auto refused = Replaced((Dir / "new.ini").string(), {Head});
        if (!refused || refused->Failure() != TFailure::CreateFile)
            return 2;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFile(target), Head + Body);
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Entries(), std::set<std::string>{"settings.ini"});
}

TEST_F(SafeFileTest, HardLinksAllShowTheNewContent) {
    const fs::path target = Dir / "a.ini";
    WriteFile(target, "old");
    fs::create_hard_link(target, Dir / "b.ini");
    EXPECT_FALSE(Replaced(target.string(), {Head, Body}));
    EXPECT_EQ(ReadFile(Dir / "a.ini"), Head + Body);
    EXPECT_EQ(ReadFile(Dir / "b.ini"), Head + Body);
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.ini", "b.ini"}));
}

TEST_F(SafeFileTest, InPlaceWriteReportsAFullDisk) {
    const fs::path target = Dir / "a.ini";
    WriteFile(target, "old");
    fs::create_hard_link(target, Dir / "b.ini");
    Disk = {20, ENOSPC, Unlimited, false};
    detail::TSystemCallsSwap swap({FakeWrite, FakeSync, detail::RealSystemCalls().OpenUnnamed});
    const auto failure = Replaced(target.string(), {Head, Body});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Failure(), TFailure::WriteFile);
    EXPECT_EQ(failure->Code().value(), ENOSPC);
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.ini", "b.ini"}));
}

// Symbolic links stay links; the file at the end of the chain gets the content.
struct LinkCase {
    const char* Name;
    std::vector<std::pair<const char*, const char*>> Links; // link name, what it names
    bool TargetExists;
    const char* Target; // the file that gets the content
};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << c.Name;
}

class LinkTarget : public SafeFileTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkTarget, ContentGoesToTheEndOfTheChain) {
    const LinkCase& c = GetParam();
    fs::create_directory(Dir / "real");
    if (c.TargetExists)
        WriteFile(Dir / c.Target, "old");
    for (const auto& [link, names] : c.Links)
        fs::create_symlink(names, Dir / link);

    EXPECT_EQ(ReplacementTarget((Dir / c.Links.front().first).string()),
              fs::path(Dir / c.Target).lexically_normal().string());
    EXPECT_FALSE(Replaced((Dir / c.Links.front().first).string(), {Head, Body}));
    for (const auto& link : c.Links)
        EXPECT_TRUE(fs::is_symlink(Dir / link.first)) << link.first;
    EXPECT_EQ(ReadFile(Dir / c.Target), Head + Body);
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir / "real"), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkTarget,
    ::testing::Values(LinkCase{"Existing", {{"link", "real/file"}}, true, "real/file"},
                      LinkCase{"Dangling", {{"link", "real/file"}}, false, "real/file"},
                      LinkCase{"DanglingChain",
                               {{"first", "second"}, {"second", "real/file"}},
                               false,
                               "real/file"}),
    [](const auto& info) { return info.param.Name; });

TEST_F(SafeFileTest, DanglingAbsoluteLinkIsFollowed) {
    fs::create_symlink(Dir / "elsewhere.ini", Dir / "link.ini");
    EXPECT_FALSE(Replaced((Dir / "link.ini").string(), {Head}));
    EXPECT_TRUE(fs::is_symlink(Dir / "link.ini"));
    EXPECT_EQ(ReadFile(Dir / "elsewhere.ini"), Head);
}

TEST_F(SafeFileTest, LinkLoopIsRefused) {
    fs::create_symlink("b", Dir / "a");
    fs::create_symlink("a", Dir / "b");
    const auto failure = Replaced((Dir / "a").string(), {Head});
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Failure(), TFailure::CreateFile);
    EXPECT_EQ(failure->Code().value(), ELOOP);
    EXPECT_EQ(Entries(), (std::set<std::string>{"a", "b"}));
}

// A link in a sticky, world-writable folder is followed only when it belongs to the
// folder's owner or to the writer; root and nobody play the two users, and a user who is
// not root checks the case of one user alone (Self: whoever runs the test).
struct StickyLinkCase {
    const char* Name;
    uid_t FolderOwner, LinkOwner, Writer;
    mode_t FolderMode;
    bool Followed;
};

void PrintTo(const StickyLinkCase& c, std::ostream* os) {
    *os << c.Name;
}

constexpr uid_t Root = 0, Nobody = 65534, Self = static_cast<uid_t>(-1);

class StickyLink : public SafeFileTest, public ::testing::WithParamInterface<StickyLinkCase> {};

TEST_P(StickyLink, AnotherUsersLinkIsNotFollowed) {
    StickyLinkCase c = GetParam();
    const bool alone = c.FolderOwner == Self && c.LinkOwner == Self && c.Writer == Self;
    if (::geteuid() != 0 && !alone)
        GTEST_SKIP() << "needs root to play two users (OwnLinkInOwnTmp runs as anyone)";
    const gid_t group = alone ? ::getegid() : c.Writer;
    if (alone)
        c.FolderOwner = c.LinkOwner = c.Writer = ::geteuid();
    // Dir/shared/wall.png -> Dir/home/file, the writer's own file.
    const fs::path shared = Dir / "shared", home = Dir / "home", file = home / "file";
    const fs::path link = shared / "wall.png";
    fs::create_directory(shared);
    fs::create_directory(home);
    WriteFile(file, "old");
    fs::create_symlink(file, link);
    ASSERT_EQ(::chmod(Dir.c_str(), 0755), 0);
    ASSERT_EQ(::chown(home.c_str(), c.Writer, group), 0);
    ASSERT_EQ(::chown(file.c_str(), c.Writer, group), 0);
    ASSERT_EQ(::chown(shared.c_str(), c.FolderOwner, alone ? group : c.FolderOwner), 0);
    ASSERT_EQ(::chmod(shared.c_str(), c.FolderMode), 0);
    ASSERT_EQ(::lchown(link.c_str(), c.LinkOwner, alone ? group : c.LinkOwner), 0);

    // The child's exit code: 0 written, 1 refused as expected, 2 anything else.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setresgid(group, group, group) != 0 || ::setresuid(c.Writer, c.Writer, c.Writer) != 0)
            ::_exit(3);
        const auto failure = Replaced(link.string(), {Head});
        if (!failure)
            ::_exit(0);
        ::_exit(failure->Failure() == TFailure::CreateFile && failure->Code().value() == EACCES &&
                        failure->Subject() == link.string()
                    ? 1
                    : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.Followed ? 0 : 1);
    EXPECT_EQ(ReadFile(file), c.Followed ? Head : "old");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StickyLink,
    ::testing::Values(StickyLinkCase{"OthersLinkInRootsTmp", Root, Nobody, Root, 01777, false},
                      StickyLinkCase{"OthersLinkInOthersTmp", Nobody, Root, Nobody, 01777, false},
                      StickyLinkCase{"OwnLinkInOthersTmp", Root, Nobody, Nobody, 01777, true},
                      StickyLinkCase{"FolderOwnersLink", Nobody, Nobody, Root, 01777, true},
                      StickyLinkCase{"NotSticky", Root, Nobody, Root, 0777, true},
                      StickyLinkCase{"NotWorldWritable", Root, Nobody, Root, 01775, true},
                      StickyLinkCase{"OwnLinkInOwnTmp", Self, Self, Self, 01777, true}),
    [](const auto& info) { return info.param.Name; });

// A write beyond the file size limit is an ordinary write failure, not the end of the
// process. It runs in a child, which the signal would otherwise kill.
TEST_F(SafeFileTest, FileSizeLimitFailsTheWriteWithoutASignal) {
    const fs::path target = Dir / "big";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 50;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto failure = Replaced(target.string(), {Head, Body});
        ::_exit(failure && failure->Failure() == TFailure::WriteFile &&
                        failure->Code().value() == EFBIG
                    ? 0
                    : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(Entries().empty());
}

// ---- Writers of one file ------------------------------------------------------------

// 300 writes of one file at once, from 6 processes of 5 threads each, with unnamed new
// files and with named ones: every write succeeds, the file is one writer's whole
// content, and nothing else is left in the folder.
class ConcurrentWriters : public SafeFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConcurrentWriters, EachReplacesTheFileWhole) {
    constexpr int processes = 6, threads = 5, writes = 10;
    const fs::path target = Dir / "settings.ini";
    const auto content = [](int p, int t, int w) {
        return std::string(3000 + 7 * (p * 50 + t * 10 + w), static_cast<char>('a' + p)) +
               std::to_string(t) + std::to_string(w);
    };
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            detail::TSystemCalls calls = detail::RealSystemCalls();
            if (!GetParam())
                calls.OpenUnnamed = NoUnnamedFiles;
            detail::TSystemCallsSwap swap(calls);
            std::atomic<int> failures{0};
            std::vector<std::thread> pool;
            for (int t = 0; t < threads; ++t)
                pool.emplace_back([&, t] {
                    for (int w = 0; w < writes; ++w)
                        failures += Replaced(target.string(), {content(p, t, w)}).has_value();
                });
            for (std::thread& thread : pool)
                thread.join();
            ::_exit(failures);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "writes failed: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    const std::string now = ReadFile(target);
    ASSERT_GE(now.size(), 3002u);
    const int p = now[0] - 'a', t = now[now.size() - 2] - '0', w = now.back() - '0';
    EXPECT_EQ(now, content(p, t, w));
    EXPECT_EQ(Entries(), std::set<std::string>{"settings.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ConcurrentWriters, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

// A writer stopped halfway keeps its new file; once it is killed, the next replacement of
// the same file removes what it left.
ssize_t StopHalfway(int fd, const void* data, std::size_t size) {
    [[maybe_unused]] const ssize_t written = ::write(fd, data, size / 2);
    ::raise(SIGSTOP);
    return -1;
}

TEST_F(SafeFileTest, KilledWritersLeftoverGoesAtTheNextWrite) {
    const fs::path target = Dir / "wall.png";
    WriteFile(target, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        detail::TSystemCallsSwap swap({StopHalfway, FakeSync, NoUnnamedFiles});
        Replaced(target.string(), {Body});
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status));
    ASSERT_EQ(Entries().size(), 2u);

    EXPECT_FALSE(Replaced(target.string(), {Head})); // the stopped writer's file stays
    EXPECT_EQ(Entries().size(), 2u);
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(Replaced(target.string(), {Body}));
    EXPECT_EQ(Entries(), std::set<std::string>{"wall.png"});
    EXPECT_EQ(ReadFile(target), Body);
}

// ---- Reading whole files --------------------------------------------------------------

TEST_F(SafeFileTest, ReadWholeFileTellsMissingFromUnreadable) {
    WriteFile(Dir / "plain", std::string("a\0b", 3));
    fs::create_directory(Dir / "folder");
    ASSERT_EQ(::mkfifo((Dir / "fifo").c_str(), 0600), 0);
    { std::ofstream sparse(Dir / "huge"); }
    fs::resize_file(Dir / "huge", MaxWholeFileSize + 1); // sparse: no disk used

    const TWholeFile plain = ReadWholeFile((Dir / "plain").string());
    EXPECT_TRUE(plain.Exists);
    EXPECT_EQ(plain.Bytes, std::string("a\0b", 3));
    const struct {
        const char* Name;
        int Error;
    } rows[] = {
        {"missing", 0}, {"plain/below", 0}, {"folder", EISDIR}, {"fifo", EINVAL}, {"huge", EFBIG}};
    for (const auto& row : rows) {
        const TWholeFile file = ReadWholeFile((Dir / row.Name).string());
        EXPECT_FALSE(file.Exists) << row.Name;
        EXPECT_TRUE(file.Bytes.empty()) << row.Name;
        EXPECT_EQ(file.Error.value(), row.Error) << row.Name;
    }
}

} // namespace
