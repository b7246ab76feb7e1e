// SPDX-License-Identifier: GPL-3.0-or-later
// Tests on single subtitle lines, shared by the record loader and the shifters.
#pragma once

#include <string>
#include <string_view>

namespace orvane::textio {

// True for a line of 1 to 6 characters that reads wholly as a number: an
// optional sign, digits with at most one decimal point, an optional exponent.
// "1", "245" and "000123" pass; "", "1234567", "1a" and "00:00" do not.
bool IsCueNumberLine(std::string_view trimmedLine);

// IsCueNumberLine once invisible format marks at either end are set aside:
// byte-order marks, direction marks and zero-width spaces that some editors
// leave around the first cue number.
bool IsCueNumberIgnoringMarks(std::string_view trimmedLine);

// Folds the full-width ASCII forms U+FF01..U+FF5E to U+0021..U+007E and the
// ideographic space U+3000 to U+0020.
std::string FoldHalfWidth(std::string_view text);

// Tells Chinese cue text from English by its script: true when the half-width
// folded text holds a character that East Asian scripts write wide (Unicode's
// East Asian Width Wide or Fullwidth) and that is not an emoji. Han, kana,
// Hangul and 。「」、 count; ASCII, full-width Latin (folded first), typographic
// punctuation such as ’ “ … —, accented letters, ♪ and emoji do not.
bool IsChineseText(std::string_view text);

}  // namespace orvane::textio
