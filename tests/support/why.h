// SPDX-License-Identifier: GPL-3.0-or-later
// A failure in words for test output.
#pragma once

#include <optional>
#include <string>

#include "textio/failure.h"
#include "textio/text_file.h"

namespace orvane::testing {

inline std::string Why(const std::optional<textio::Failure>& failure) {
    if (!failure) {
        return "no failure";
    }
    return "failure kind " + std::to_string(static_cast<int>(failure->kind)) + " at " +
           textio::PathToUtf8(failure->path) +
           (failure->code ? ": " + failure->code.message() : std::string());
}

inline std::string Why(const std::optional<textio::FailureKind>& kind) {
    return kind ? "failure kind " + std::to_string(static_cast<int>(*kind)) : "no failure";
}

}  // namespace orvane::testing
