// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-bench-gen DIR: writes the benchmark workloads into DIR.
#include <exception>
#include <iostream>

#include "workload.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orvane-bench-gen DIR\n";
        return 2;
    }
    try {
        orvane::bench::WriteStandardWorkloads(argv[1]);
    } catch (const std::exception& e) {
        std::cerr << "orvane-bench-gen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
