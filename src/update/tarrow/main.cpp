// SPDX-License-Identifier: GPL-3.0-or-later
// Tarrow, the restart helper: started by the program it updates with
//   tarrow HANDOVER PROCESS_ID PROGRAM_FOLDER PROGRAM_FILE
// where HANDOVER is the program's four TAB-separated fields. It waits for the
// program to end, installs the update archive's files and starts the program
// again, and writes what it did, or why it refused, to Tarrow.log beside the
// archive.
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <unistd.h>
extern char** environ;
#endif

#include "update/restart_helper.h"

namespace {
namespace fs = std::filesystem;
using namespace orvane::update;

// Tarrow.log beside the archive, else in the program folder, else stderr;
// every line escaped so a name cannot forge one.
class Log {
public:
    void OpenIn(const std::vector<fs::path>& folders) {
        for (const fs::path& folder : folders) {
            if (folder.empty()) {
                continue;
            }
            out_.open(folder / "Tarrow.log", std::ios::app);
            if (out_) {
                return;
            }
            out_.clear();
        }
    }
    void Say(const std::string& line) {
        const std::string text = EscapeForLog(line) + "\n";
        if (out_.is_open() && (out_ << text << std::flush)) {
            return;
        }
        std::cerr << "tarrow: " << text << std::flush;
    }

private:
    std::ofstream out_;
};

// Starts the program; why it could not, or nothing.
std::error_code Start(const fs::path& program) {
#ifdef _WIN32
    std::wstring command = L"\"" + program.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program.parent_path().c_str(), &startup, &process)) {
        return std::error_code(static_cast<int>(GetLastError()), std::system_category());
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {};
#else
    const std::string path = program.string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ);
    return std::error_code(error, std::generic_category());
#endif
}

std::optional<long> ProcessId(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    const long id = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || id < 0) {
        return std::nullopt;
    }
    return id;
}

int Run(const std::vector<std::string>& args) {
    Log log;
    const std::optional<HandOver> handOver = args.empty() ? std::nullopt : ParseHandOver(args[0]);
    const fs::path programDir = args.size() > 2 ? fs::path(args[2]) : fs::path();
    log.OpenIn({handOver ? handOver->archive.parent_path() : fs::path(), programDir});
    if (args.size() != 4) {
        log.Say("refused: expected HANDOVER PROCESS_ID PROGRAM_FOLDER PROGRAM_FILE, got " +
                std::to_string(args.size()) + " arguments");
        return 2;
    }
    if (!handOver) {
        log.Say(
            "refused: the hand-over is not the archive, \"1\", the title and the caption "
            "separated by tabs: " +
            args[0]);
        return 2;
    }
    const std::optional<long> processId = ProcessId(args[1]);
    if (!processId) {
        log.Say("refused: the process id is not a number: " + args[1]);
        return 2;
    }
    const fs::path program = programDir / args[3];
    if (!WaitForExit(*processId, std::chrono::seconds(30))) {
        log.Say("refused, nothing changed: " + handOver->title + " did not end within 30 seconds");
        return 1;
    }
    // Beside the program's files, so that moving them in is a rename.
    const fs::path staging = MakeFreshFolder(programDir, kWorkPrefix);
    Refusal refusal;
    std::vector<StagedFile> files;
    if (staging.empty()) {
        refusal = "cannot make a folder in " + programDir.string() + "; nothing changed";
    } else if ((refusal = ExtractArchive(handOver->archive, staging, files))) {
        *refusal += "; nothing changed";
    } else {
        refusal = InstallFiles(staging, files, programDir, args[3]);
    }
    std::error_code ec;
    fs::remove_all(staging, ec);
    if (refusal) {
        log.Say("refused: " + *refusal);
    } else {
        log.Say("installed " + std::to_string(files.size()) + " files into " + programDir.string());
    }
    if (const std::error_code started = Start(program)) {
        log.Say("could not start " + program.string() + ": " + started.message());
        return 1;
    }
    return refusal ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    } catch (const std::exception& e) {
        // Out of memory, say: still a line that says so.
        std::cerr << "tarrow: failed: " << EscapeForLog(e.what()) << "\n";
        return 1;
    }
}
