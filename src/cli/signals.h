// SPDX-License-Identifier: GPL-3.0-or-later
// How orvane-shift meets the signals a terminal or a system sends.
#pragma once

namespace orvane::cli {

// Ctrl-C, SIGTERM, SIGHUP and the other signals that end a program by
// default (SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF) remove the
// temporary file of the write under way before the program ends as the
// signal asks (the target is untouched:
// only a finished file replaces it). A closed standard output (SIGPIPE, as
// with "| head -1") does not stop a batch half-way: the failed writes make
// the exit status non-zero at the end instead. A file-size limit (SIGXFSZ)
// fails the one file that meets it, whose temporary file is then removed.
void InstallSignalHandlers();

}  // namespace orvane::cli
