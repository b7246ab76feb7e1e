// SPDX-License-Identifier: GPL-3.0-or-later
// The real orvane-shift process under signals: a kill leaves no temporary
// file behind, and a closed standard output does not stop a batch.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace {
namespace fs = std::filesystem;
using orvane::testing::ReadBytes;
using orvane::testing::TempDir;
using Clock = std::chrono::steady_clock;

// Starts orvane-shift with `args`; its standard output goes to `stdoutFd`.
pid_t Start(const std::vector<std::string>& args, int stdoutFd) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(stdoutFd, STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(ORVANE_SHIFT_PATH)};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(ORVANE_SHIFT_PATH, argv.data());
        _exit(127);
    }
    return pid;
}

// Waits at most ten seconds; -1 when the process had to be killed.
int Wait(pid_t pid) {
    const auto giveUp = Clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > giveUp) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return status;
}

bool HasTemporaryFile(const fs::path& dir) {
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().filename().string().find(".orvane-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string BigSrt(int cues) {
    std::string text;
    for (int i = 1; i <= cues; ++i) {
        text +=
            std::to_string(i) + "\r\n00:00:10,000 --> 00:00:11,000\r\nsome text 一些文字\r\n\r\n";
    }
    return text;
}

class EndedMidWrite : public ::testing::TestWithParam<int> {};

TEST_P(EndedMidWrite, LeavesNoTemporaryFile) {
    const int signal = GetParam();
    TempDir dir;
    const std::string original = BigSrt(400000);
    const fs::path source = dir.Write("big.srt", original);
    const int null = open("/dev/null", O_WRONLY);
    const pid_t pid = Start({"--direct", "1", "--overwrite", source.string()}, null);
    close(null);
    // SIGTERM as soon as the temporary file exists, or at the latest after a while.
    const auto giveUp = Clock::now() + std::chrono::seconds(5);
    bool midWrite = false;
    while (!(midWrite = HasTemporaryFile(dir.path())) && Clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(pid, signal);
    const int status = Wait(pid);
    ASSERT_NE(status, -1);
    EXPECT_TRUE(midWrite);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_FALSE(HasTemporaryFile(dir.path()));
    // Either untouched (the signal came first) or wholly shifted.
    const std::string now = ReadBytes(source);
    EXPECT_TRUE(now == original || now.find("00:00:09,000 --> 00:00:10,000") != std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndedMidWrite,
                         ::testing::Values(SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF),
                         [](const auto& info) {
                             switch (info.param) {
                                 case SIGTERM:
                                     return "TERM";
                                 case SIGUSR1:
                                     return "USR1";
                                 case SIGUSR2:
                                     return "USR2";
                                 case SIGALRM:
                                     return "ALRM";
                                 case SIGVTALRM:
                                     return "VTALRM";
                                 default:
                                     return "PROF";
                             }
                         });

// A file-size limit (SIGXFSZ) fails the file that meets it; its temporary
// file goes, and the run says why.
TEST(Process, FileSizeLimitFailsTheFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path source = dir.Write("big.srt", BigSrt(20000));
    fs::create_directories(dir / "out");
    const std::string command = "ulimit -f 64; exec '" + std::string(ORVANE_SHIFT_PATH) +
                                "' --direct 1 -q -o '" + (dir / "out").string() + "' '" +
                                source.string() + "' 2>'" + (dir / "err.txt").string() + "'";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(fs::is_empty(dir / "out"));
    EXPECT_NE(ReadBytes(dir / "err.txt").find("File too large"), std::string::npos)
        << ReadBytes(dir / "err.txt");
}

// Two runs over one folder at once: a run that exits 0 lost no file to the
// other, so with both at 0 every file moved by both.
TEST(Process, TwoRunsAtOnceNeverSucceedWithALostUpdate) {
    TempDir dir;
    constexpr int kFiles = 400;
    for (int i = 0; i < kFiles; ++i) {
        dir.Write("f" + std::to_string(i) + ".srt", "1\r\n00:00:10,000 --> 00:00:11,000\r\nA\r\n");
    }
    const int null = open("/dev/null", O_WRONLY);
    const pid_t one = Start({"--direct", "1", "--later", "--overwrite", dir.path().string()}, null);
    const pid_t two = Start({"--direct", "2", "--later", "--overwrite", dir.path().string()}, null);
    close(null);
    const int first = Wait(one);
    const int second = Wait(two);
    ASSERT_TRUE(WIFEXITED(first) && WIFEXITED(second)) << first << " " << second;
    int atThree = 0;
    for (int i = 0; i < kFiles; ++i) {
        atThree += ReadBytes(dir / ("f" + std::to_string(i) + ".srt")).find("00:00:13,000") !=
                   std::string::npos;
    }
    if (WEXITSTATUS(first) == 0 && WEXITSTATUS(second) == 0) {
        EXPECT_EQ(atThree, kFiles);
    }
    EXPECT_FALSE(HasTemporaryFile(dir.path()));
}

TEST(Process, ClosedStandardOutputDoesNotStopTheBatch) {
    TempDir dir;
    const std::string srt = "1\r\n00:00:10,000 --> 00:00:11,000\r\nA\r\n";
    for (const char* name : {"a.srt", "b.srt", "c.srt"}) {
        dir.Write(name, srt);
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    close(pipeFds[0]);  // as "| head -1" does once it has its line
    const pid_t pid = Start({"--direct", "1", "--overwrite", dir.path().string()}, pipeFds[1]);
    close(pipeFds[1]);
    const int status = Wait(pid);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    for (const char* name : {"a.srt", "b.srt", "c.srt"}) {
        EXPECT_NE(ReadBytes(dir / name).find("00:00:09,000"), std::string::npos) << name;
    }
}

}  // namespace
#endif
