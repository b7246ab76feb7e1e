// SPDX-License-Identifier: GPL-3.0-or-later
// How wrong a decoded text looks. A subtitle file read in the wrong encoding
// shows it in its characters: control codes, private-use and replacement
// characters, box drawing glued to letters, a word of Latin and Cyrillic
// letters, rare Han characters where common ones should be, the accented
// letters of five languages in one text. The encoding detection reads the
// same bytes in every candidate encoding and keeps the reading that looks
// least wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace orvane::textio {

// The scripts of letters a text in some encoding may hold besides ASCII.
enum ScriptSet : std::uint32_t {
    kLatinLetters = 1u << 0,  // accented Latin letters (ASCII letters are always fine)
    kHan = 1u << 1,
    kKana = 1u << 2,
    kHangul = 1u << 3,
    kBopomofo = 1u << 4,
    kCyrillic = 1u << 5,
    kGreek = 1u << 6,
    kHebrew = 1u << 7,
    kArabic = 1u << 8,
    kAnyScript = 0xFFFFFFFFu,
};

struct TextLooks {
    double cost = 0;           // zero for text that looks right; grows with each oddity
    std::size_t nonAscii = 0;  // characters above ASCII, to weigh the cost by
    std::size_t broken = 0;    // of them: control codes, private use, replacements
    std::size_t han = 0;       // Han characters
    std::size_t rareHan = 0;   // of them: outside the common ones
    double oddities = 0;       // the cost of what is neither broken nor a rare Han character
};

// Judges `utf8`, a text read in an encoding whose letters are `expected`.
// Stops early once the cost passes `enough`: the reading has lost by then.
TextLooks JudgeText(std::string_view utf8, std::uint32_t expected,
                    double enough = std::numeric_limits<double>::infinity());

// Whether a Han character is among the common ones: GB2312's first level
// (3,755), Big5's frequent range (5,401) or JIS X 0208's first level.
bool IsCommonHan(char32_t cp);

}  // namespace orvane::textio
