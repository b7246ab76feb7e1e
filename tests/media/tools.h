// SPDX-License-Identifier: GPL-3.0-or-later
// The outside programs that make sound fixtures at test time.
#pragma once

#include <cstdlib>
#include <string>

namespace orvane::testing {

// True when `program` answers on the command line.
inline bool HaveProgram(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command quietly; true when it succeeded.
inline bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace orvane::testing
