// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes loaded as an SRT and as an ASS file and shifted later, then
// earlier, by the same amount: wherever no clamp happened the times come back
// as a shift by nothing writes them, and nothing crashes. The SubRip text is
// also walked as files are, and the ASS text read line by line as files
// are, which must give what their record lines give, in every mode and
// through a frame-rate change.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/ass_shifter.h"
#include "engine/retime.h"
#include "engine/srt_shifter.h"
#include "engine/srt_text_shifter.h"
#include "engine/timecode.h"
#include "textio/encoding.h"
#include "textio/record_loader.h"

namespace {

using namespace orvane;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

engine::ShiftSettings Direct(double seconds, bool later) {
    engine::ShiftSettings settings;
    settings.mode = engine::ShiftMode::Direct;
    settings.shiftSeconds = seconds;
    settings.later = later;
    return settings;
}

engine::ShiftOutput Shift(std::string text, textio::LoadLayout layout,
                          const engine::ShiftSettings& settings) {
    const textio::RecordLines lines = textio::SplitRecordLines(std::move(text), layout);
    return layout == textio::LoadLayout::Srt ? engine::ShiftSrtLines(lines, settings)
                                             : engine::ShiftAssLines(lines, settings);
}

// Beyond this a double no longer holds whole milliseconds after a shift.
bool TimesAreModest(const std::string& text, engine::TimePattern pattern) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (const auto match = engine::MatchTimeLine(line, pattern)) {
            const bool srt = pattern == engine::TimePattern::Srt;
            for (const engine::CodeSpan& span : {match->start, match->end}) {
                const double t =
                    srt ? engine::ParseSrtTime(span.In(line)) : engine::ParseAssTime(span.In(line));
                if (!(t < 1e9)) {
                    return false;
                }
            }
        }
        start = end + 2;
    }
    return true;
}

void CheckRoundTrip(const std::string& utf8, textio::LoadLayout layout, double seconds) {
    const engine::ShiftOutput unmoved = Shift(utf8, layout, Direct(0, true));
    const engine::ShiftOutput later = Shift(utf8, layout, Direct(seconds, true));
    Check(unmoved.failure == later.failure);
    if (unmoved.failure) {
        return;
    }
    const engine::ShiftOutput back = Shift(later.text, layout, Direct(seconds, false));
    Check(!back.failure);
    const auto pattern =
        layout == textio::LoadLayout::Srt ? engine::TimePattern::Srt : engine::TimePattern::Ass;
    if (TimesAreModest(unmoved.text, pattern)) {
        Check(back.text == unmoved.text);
    }
}

// Two roads through one text gave the same output.
void CheckSame(const engine::ShiftOutput& a, const engine::ShiftOutput& b) {
    Check(a.failure == b.failure);
    Check(a.text == b.text);
    Check(a.stats.shifted == b.stats.shifted && a.stats.dropped == b.stats.dropped &&
          a.stats.trimmed == b.stats.trimmed && a.stats.untimed == b.stats.untimed);
}

// The walk over a SubRip text makes of it what the line shifter makes.
void CheckWalk(const std::string& utf8, const engine::ShiftSettings& settings) {
    const engine::ShiftOutput lines = Shift(utf8, textio::LoadLayout::Srt, settings);
    CheckSame(engine::ShiftSrtText(textio::FileBytes(utf8), settings), lines);
}

// An ASS text shifted line by line as it is read makes what its table of
// record lines makes.
void CheckAssRead(const std::string& utf8, const engine::ShiftSettings& settings) {
    const engine::ShiftOutput lines = Shift(utf8, textio::LoadLayout::Plain, settings);
    CheckSame(engine::ShiftAssText(textio::FileBytes(utf8), settings), lines);
}

// Amounts of whole milliseconds are counted in them; a hundred-thousandth
// of a millisecond more sends the same shift through the doubles, and
// must write the same codes.
void CheckWholeMillis(const std::string& utf8, textio::LoadLayout layout, double seconds) {
    const engine::ShiftOutput whole = Shift(utf8, layout, Direct(seconds, true));
    const engine::ShiftOutput nearly = Shift(utf8, layout, Direct(seconds + 1e-8, true));
    const auto pattern =
        layout == textio::LoadLayout::Srt ? engine::TimePattern::Srt : engine::TimePattern::Ass;
    if (!whole.failure && TimesAreModest(whole.text, pattern)) {
        Check(whole.text == nearly.text);
    }
}

engine::ShiftSettings Cut(double cut, double extra) {
    engine::ShiftSettings settings;
    settings.mode = engine::ShiftMode::Cut;
    settings.cutSeconds = cut;
    settings.extraAdvance = extra > 0;
    settings.shiftSeconds = extra;
    return settings;
}

// Every time through a frame-rate change, 25 to 23.976 fps, and then by
// `seconds`.
engine::ShiftSettings Retimed(double seconds) {
    engine::ShiftSettings settings = Direct(seconds, true);
    settings.map = engine::FrameRateMap({25, 1}, {24000, 1001});
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the amount: whole milliseconds up to 25.5 s.
    const double seconds = static_cast<double>(data[0]) / 10.0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const textio::DecodedText decoded = textio::DecodeText(bytes);
    CheckRoundTrip(decoded.utf8, textio::LoadLayout::Srt, seconds);
    CheckWalk(decoded.utf8, Direct(seconds, true));
    CheckWalk(decoded.utf8, Direct(seconds + 0.0005, false));  // not whole milliseconds
    CheckWalk(decoded.utf8, Cut(seconds, seconds / 4));
    CheckWalk(decoded.utf8, Retimed(seconds));
    CheckAssRead(decoded.utf8, Direct(seconds, true));
    CheckAssRead(decoded.utf8, Cut(seconds, seconds / 4));
    CheckAssRead(decoded.utf8, Retimed(seconds));
    CheckWholeMillis(decoded.utf8, textio::LoadLayout::Srt, seconds);
    CheckWholeMillis(decoded.utf8, textio::LoadLayout::Plain, seconds);
    CheckRoundTrip(decoded.utf8, textio::LoadLayout::Plain, seconds);
    return 0;
}
