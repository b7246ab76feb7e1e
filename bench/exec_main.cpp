// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-bench-exec REPORT CMD [ARGS...]: runs CMD (standard streams
// inherited) and writes "<seconds> <peak RSS in KiB> <exit status>" to REPORT.
// Forked from this small process, the child's peak RSS is its own, not that
// of a large parent such as a Python interpreter.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvane-bench-exec REPORT CMD [ARGS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait4");
        return 2;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::FILE* report = std::fopen(argv[1], "w");
    if (report == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    std::fprintf(report, "%.6f %ld %d\n", elapsed.count(), usage.ru_maxrss, code);
    std::fclose(report);
    return 0;
}
