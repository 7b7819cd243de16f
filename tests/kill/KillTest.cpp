// A writer killed with SIGKILL at random moments leaves the complete old or the complete
// new file, and no temporary file that the next write does not take away.
#include "Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <set>
#include <string>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

using ombrix::testing::ReadFile;
using ombrix::testing::TempDir;

namespace {

// Runs the writer once for its "first" or "second" content; its exit code.
int RunWriter(const char* mode, const std::string& path, const char* which) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(KILL_WRITER, KILL_WRITER, mode, path.c_str(), which, nullptr);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Starts the looping writer, waits until its loop runs, lets it write for `delay`, and
// kills it.
void KillWriterAfter(const char* mode, const std::string& path, long delayNs) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(ready[1], 1);
        ::execl(KILL_WRITER, KILL_WRITER, mode, path.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the writer did not start";
    ::close(ready[0]);
    const timespec delay{0, delayNs};
    ::nanosleep(&delay, nullptr);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";
}

class KillTest : public ::testing::TestWithParam<const char*> {};

TEST_P(KillTest, TargetIsAlwaysTheOldOrTheNewFile) {
    const char* mode = GetParam();
    TempDir dir;
    // The two contents the writer alternates between, each made by a run of its own.
    const std::string first = dir / "first", second = dir / "second";
    ASSERT_EQ(RunWriter(mode, first, "first"), 0);
    ASSERT_EQ(RunWriter(mode, second, "second"), 0);
    const std::string contents[] = {ReadFile(first), ReadFile(second)};
    ASSERT_NE(contents[0], contents[1]);

    const std::string target = dir / "target";
    ASSERT_EQ(RunWriter(mode, target, "first"), 0);
    std::mt19937 random(20261207);
    std::uniform_int_distribution<long> delayNs(0, 20'000'000);
    int leftovers = 0;
    int seen[2] = {0, 0};
    for (int kill = 0; kill < 50; ++kill) {
        KillWriterAfter(mode, target, delayNs(random));
        const std::string now = ReadFile(target);
        ASSERT_TRUE(now == contents[0] || now == contents[1])
            << "after kill " << kill << ": " << now.size() << " bytes";
        seen[now == contents[1]]++;
        // Nothing but the target, save at most the one name a new file takes on its way
        // over the old one, which the next write takes over.
        const std::set<std::string> names = dir.Names();
        leftovers += names.size() > 3;
        ASSERT_LE(names.size(), 4u) << "after kill " << kill;
    }
    ASSERT_EQ(RunWriter(mode, target, "first"), 0);
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"first", "second", "target"}));
    RecordProperty("leftovers", leftovers);
    RecordProperty("first", seen[0]);
    RecordProperty("second", seen[1]);
}

INSTANTIATE_TEST_SUITE_P(Writers, KillTest, ::testing::Values("settings", "picture"));

} // namespace
