// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes through everything that reads a subtitle file: decoding,
// splitting into record lines in both layouts, and the time-code and line
// functions on every line. Checks the promises the shifters rely on.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unicode/utf8.h>

#include "engine/timecode.h"
#include "textio/encoding.h"
#include "textio/gbk.h"
#include "textio/line_tests.h"
#include "textio/record_loader.h"
#include "textio/utf8.h"

namespace {

using namespace orvane;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Whether `bytes` is UTF-8, one character at a time: what the fast checker
// must agree with.
bool IsUtf8OneByOne(std::string_view bytes) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int64_t>(bytes.size());
    for (std::int64_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) {
            return false;
        }
    }
    return true;
}

bool IsSpan(const engine::CodeSpan& span, std::string_view line) {
    return span.length > 0 && span.pos <= line.size() && span.length <= line.size() - span.pos;
}

void CheckTimeLine(std::string_view line, engine::TimePattern pattern) {
    const auto match = engine::MatchTimeLine(line, pattern);
    if (!match) {
        return;
    }
    Check(IsSpan(match->start, line) && IsSpan(match->end, line));
    Check(match->start.pos + match->start.length <= match->end.pos);
    const bool srt = pattern == engine::TimePattern::Srt;
    const std::string_view startCode = match->start.In(line);
    const std::string_view endCode = match->end.In(line);
    const double start = srt ? engine::ParseSrtTime(startCode) : engine::ParseAssTime(startCode);
    const double end = srt ? engine::ParseSrtTime(endCode) : engine::ParseAssTime(endCode);
    // Hours take every digit, so times have no upper bound, but stay finite.
    Check(start >= 0 && std::isfinite(start) && end >= 0 && std::isfinite(end));

    for (double shift : {0.0, 0.2, 12.0, 120.0}) {
        const double a = engine::ShiftDirect(start, shift, false);
        const double b = engine::ShiftAfterCut(end, shift, 0.2);
        const std::string newStart = srt ? engine::FormatSrtTime(a) : engine::FormatAssTime(a);
        const std::string newEnd = srt ? engine::FormatSrtTime(b) : engine::FormatAssTime(b);
        const std::string rewritten = engine::RewriteTimeLine(line, *match, newStart, newEnd);
        Check(rewritten.size() ==
              line.size() - startCode.size() - endCode.size() + newStart.size() + newEnd.size());
        // A shift by nothing gives a two-digit-hour SRT code with minutes and
        // seconds below 60 back unchanged.
        if (shift == 0.0 && srt && startCode.size() == 12 && startCode[3] < '6' &&
            startCode[6] < '6') {
            Check(newStart == startCode);
        }
    }
}

void CheckLine(std::string_view line) {
    Check(line.find_first_of("\r\n") == std::string_view::npos);
    Check(line.empty() || (line.front() != ' ' && line.back() != ' '));
    for (engine::TimePattern pattern : {engine::TimePattern::Srt, engine::TimePattern::Ass}) {
        CheckTimeLine(line, pattern);
    }
    if (textio::IsCueNumberLine(line)) {
        Check(!line.empty() && line.size() <= 6);
    }
    const std::string folded = textio::FoldHalfWidth(line);
    Check(textio::CountCodePoints(folded) == textio::CountCodePoints(line));
    Check(textio::IsChineseText(line) == textio::IsChineseText(folded));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The raw bytes as one line: invalid UTF-8 must not trip the matchers.
    engine::MatchTimeLine(bytes, engine::TimePattern::Srt);
    engine::MatchTimeLine(bytes, engine::TimePattern::Ass);

    Check(textio::IsValidUtf8(bytes) == IsUtf8OneByOne(bytes));
    Check(textio::IsValidUtf8InSixteenByteBlocks(bytes) == IsUtf8OneByOne(bytes));
    const textio::DecodedText decoded = textio::DecodeText(bytes);
    if (decoded.encoding != textio::SourceEncoding::Utf8Bom) {
        Check(textio::IsValidUtf8(decoded.utf8));
    }
    for (textio::LoadLayout layout : {textio::LoadLayout::Srt, textio::LoadLayout::Plain}) {
        const textio::RecordLines lines = textio::SplitRecordLines(decoded.utf8, layout);
        if (!lines.empty()) {
            Check(!lines[0].empty() && lines[lines.size() - 1].empty());
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            CheckLine(lines[i]);
            if (layout == textio::LoadLayout::Srt && lines[i].empty() && i + 1 < lines.size()) {
                Check(i > 0 && !lines[i - 1].empty());
            }
        }
    }

    textio::GbkEncodeReport report;
    const std::string gbk = textio::EncodeGbk(decoded.utf8, &report);
    Check(report.unencodableCount <= textio::CountCodePoints(decoded.utf8));
    return 0;
}
