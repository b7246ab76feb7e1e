// SPDX-License-Identifier: GPL-3.0-or-later
// Tarrow, the restart helper: started by the program it updates with
//   tarrow HANDOVER PROCESS_ID PROGRAM_FOLDER PROGRAM_FILE
// where HANDOVER is the program's four TAB-separated fields. It waits for the
// program to end, installs the update archive's files and starts the program
// again, and writes what it did, or why it refused, to Tarrow.log beside the
// archive.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
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

class Log {
public:
    explicit Log(const fs::path& path) : out_(path, std::ios::app) {}
    void Say(const std::string& line) { out_ << line << "\n" << std::flush; }

private:
    std::ofstream out_;
};

bool Start(const fs::path& program) {
#ifdef _WIN32
    std::wstring command = L"\"" + program.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program.parent_path().c_str(), &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
#else
    const std::string path = program.string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) == 0;
#endif
}

fs::path FreshFolderIn(const fs::path& parent) {
    std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path folder = parent / (".tarrow-" + std::to_string(random() % 1000000000));
        std::error_code ec;
        if (fs::create_directory(folder, ec)) {
            return folder;
        }
    }
    return {};
}

int Run(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        return 2;
    }
    const std::optional<HandOver> handOver = ParseHandOver(args[0]);
    if (!handOver) {
        return 2;
    }
    Log log(handOver->archive.parent_path() / "Tarrow.log");
    const fs::path programDir = args[2];
    const fs::path program = programDir / args[3];
    if (!WaitForExit(std::atol(args[1].c_str()), std::chrono::seconds(30))) {
        log.Say("refused: " + handOver->title + " did not end within 30 seconds");
        return 1;
    }
    // Beside the program's files, so that moving them in is a rename.
    const fs::path staging = FreshFolderIn(programDir);
    if (staging.empty()) {
        log.Say("refused: cannot make a folder in " + programDir.string());
        return 1;
    }
    std::vector<fs::path> files;
    Refusal refusal = ExtractArchive(handOver->archive, staging, files);
    if (!refusal) {
        refusal = InstallFiles(staging, files, programDir);
    }
    std::error_code ec;
    fs::remove_all(staging, ec);
    if (refusal) {
        log.Say("refused, nothing changed: " + *refusal);
    } else {
        log.Say("installed " + std::to_string(files.size()) + " files into " + programDir.string());
    }
    if (!Start(program)) {
        log.Say("could not start " + program.string());
        return 1;
    }
    return refusal ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    return Run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
}
