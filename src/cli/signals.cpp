// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/signals.h"

#include <csignal>

#include "textio/text_file.h"

namespace orvane::cli {
namespace {

extern "C" void RemoveTemporaryFilesAndEnd(int signal) {
    orvane::textio::RemovePendingTemporaryFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void InstallSignalHandlers() {
    std::signal(SIGINT, RemoveTemporaryFilesAndEnd);
    std::signal(SIGTERM, RemoveTemporaryFilesAndEnd);
#ifndef _WIN32
    // Every other signal whose default is to end the program quietly.
    for (const int signal : {SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF}) {
        std::signal(signal, RemoveTemporaryFilesAndEnd);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace orvane::cli
