// SPDX-License-Identifier: GPL-3.0-or-later
// Traditional-to-Simplified Chinese conversion.
#pragma once

#include <string>
#include <string_view>

namespace orvane::textio {

// Replaces Traditional Chinese characters by their Simplified forms, through
// OpenCC's standard Traditional-to-Simplified table. Every other character,
// those GBK lacks included, passes unchanged, and so does text that is not
// well-formed UTF-8.
std::string ToSimplified(std::string_view utf8);

// False when OpenCC or its table could not be loaded; ToSimplified then
// returns its input unchanged.
bool SimplifierAvailable();

}  // namespace orvane::textio
