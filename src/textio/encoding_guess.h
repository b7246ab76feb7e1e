// SPDX-License-Identifier: GPL-3.0-or-later
// Guessing the encoding of subtitle text that carries no byte-order mark.
//
// The candidates are the encodings subtitle files are written in: UTF-8
// (also with a few bytes to repair), UTF-16 without a mark, GB18030 (GBK,
// GB2312), Big5 (HKSCS), Shift_JIS, EUC-JP, EUC-KR, windows-1250 to 1258,
// KOI8-R, ISO-8859-2 and ISO-8859-5. The start of the file is read in each,
// and each reading is judged by how wrong it looks (see text_judge.h);
// libuchardet's answer is one vote among the readings, worth a little. When
// the two best readings give different text and stay close, or the best
// still looks wrong, the encoding is uncertain, and the file is not read:
// naming its encoding settles it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/encoding.h"

namespace orvane::textio {

// Decodes bytes that are neither marked nor valid UTF-8 with enough
// multi-byte characters to be sure of it. An uncertain guess comes back as
// SourceEncoding::Uncertain, with its best readings in `candidates`.
DecodedText GuessAndDecode(std::string_view bytes);

// Whether valid UTF-8 bytes are UTF-8 beyond doubt: many multi-byte
// sequences (other encodings seldom make even one by chance), or a text
// that looks right. Only short, odd-looking texts are left to the guess.
bool IsUtf8BeyondDoubt(std::string_view validUtf8);

// The bytes read in an ICU charset, named `label` for people; bytes that are
// not text in it are counted and the line of the first is noted, so that the
// file is never written over its source and people are told where to look.
DecodedText DecodeInCharset(std::string_view bytes, const char* converter, std::string label);

// The ICU charset behind a label that DecodeText gives ("GBK" is read
// through GB18030, "Shift_JIS" through windows-31j); any other label is
// taken as ICU's own name.
std::string ConverterForLabel(const std::string& label);

// The code pages the guess reads a file in, in its order of preference:
// ICU's converter and the label people are shown, which is also how an
// uncertain guess names its candidates.
struct GuessedCodePage {
    const char* converter;
    const char* label;
};
std::vector<GuessedCodePage> GuessedCodePages();

// UTF-8 with each ill-formed sequence replaced by U+FFFD, counted.
DecodedText RepairUtf8(std::string_view bytes);

// Unmarked UTF-16, told by where its zero bytes fall and by whether it
// decodes to well-formed text broken into lines.
std::optional<SourceEncoding> UnmarkedUtf16(std::string_view bytes);

}  // namespace orvane::textio
