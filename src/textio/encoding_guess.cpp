// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/encoding_guess.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>

#include "textio/icu_handles.h"
#include "textio/text_judge.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// Enough text to judge by; more only costs time, once per candidate.
constexpr std::size_t kSampleBytes = std::size_t{16} * 1024;
// Other encodings seldom give even one well-formed UTF-8 sequence over a
// line of text; this many settle it.
constexpr std::size_t kSureUtf8Sequences = 16;
// Each well-formed multi-byte sequence speaks for UTF-8 this much.
constexpr double kUtf8SequenceWeight = 1.0;
// What libuchardet's answer is worth: enough to choose between two readings
// that look equally right, never enough to save one that looks wrong. Over
// fewer characters than this its answer is a coin toss, and worth less.
constexpr double kDetectorVote = 1.5;
constexpr double kCharactersForAFullVote = 8;
// What each byte sequence a code page cannot read costs its reading.
constexpr double kBrokenByte = 6;
// Two readings of different text closer than this leave the guess uncertain.
constexpr double kMargin = 1.0;

struct CodePage {
    const char* converter;  // ICU's name
    const char* label;      // for people
    std::uint32_t scripts;  // the letters its text may hold
};

// In order of preference between readings that give the same text.
constexpr std::array<CodePage, 17> kCodePages{{
    {"GB18030", "GBK", kHan | kBopomofo},
    {"Big5-HKSCS", "Big5", kHan | kBopomofo},
    {"windows-1252", "windows-1252", kLatinLetters},
    {"windows-1250", "windows-1250", kLatinLetters},
    {"windows-1251", "windows-1251", kCyrillic},
    {"windows-31j", "Shift_JIS", kHan | kKana},
    {"EUC-JP", "EUC-JP", kHan | kKana},
    // Korean subtitles are written in Hangul alone: Han characters in a
    // Korean reading are GB2312 bytes read as Hanja.
    {"windows-949", "EUC-KR", kHangul},
    {"windows-1253", "windows-1253", kGreek},
    {"windows-1254", "windows-1254", kLatinLetters},
    {"windows-1255", "windows-1255", kHebrew},
    {"windows-1256", "windows-1256", kArabic | kLatinLetters},
    {"windows-1257", "windows-1257", kLatinLetters},
    {"windows-1258", "windows-1258", kLatinLetters},
    {"KOI8-R", "KOI8-R", kCyrillic},
    {"ISO-8859-2", "ISO-8859-2", kLatinLetters},
    {"ISO-8859-5", "ISO-8859-5", kCyrillic},
}};

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

bool HoldsHighByte(std::string_view line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The lines that tell encodings apart: those with a byte above ASCII, from
// wherever they are in the file (numbers and time codes read the same in
// every candidate), whole, up to the sample's size.
std::string SampleOf(std::string_view bytes) {
    std::string sample;
    for (std::size_t start = 0; start < bytes.size() && sample.size() < kSampleBytes;) {
        const std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(start, next - start);
        if (HoldsHighByte(line)) {
            sample.append(line.substr(0, kSampleBytes));
        }
        start = next;
    }
    return sample.empty() ? std::string(bytes.substr(0, kSampleBytes)) : sample;
}

// What libuchardet names, in the label of the candidate it points to; empty
// when it names none of them (a Mac or DOS code page, or nothing).
std::string DetectorVote(std::string_view sample) {
    struct Closer {
        void operator()(uchardet_t detector) const { uchardet_delete(detector); }
    };
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, Closer> detector(uchardet_new());
    if (!detector || uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0) {
        return {};
    }
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    const std::string detected = name ? Upper(name) : std::string();
    struct Alias {
        const char* detected;
        const char* label;
    };
    static constexpr std::array<Alias, 20> kAliases{{
        {"UTF-8", "UTF-8"},
        {"GB18030", "GBK"},
        {"GB2312", "GBK"},
        {"GBK", "GBK"},
        {"BIG5", "Big5"},
        {"SHIFT_JIS", "Shift_JIS"},
        {"EUC-JP", "EUC-JP"},
        {"EUC-KR", "EUC-KR"},
        {"UHC", "EUC-KR"},
        {"ISO-8859-1", "windows-1252"},
        {"ISO-8859-15", "windows-1252"},
        {"ISO-8859-9", "windows-1254"},
        {"ISO-8859-7", "windows-1253"},
        {"ISO-8859-8", "windows-1255"},
        {"ISO-8859-13", "windows-1257"},
        {"ISO-8859-4", "windows-1257"},
        {"ISO-8859-16", "windows-1250"},
        {"ISO-8859-2", "ISO-8859-2"},
        {"ISO-8859-5", "ISO-8859-5"},
        {"KOI8-R", "KOI8-R"},
    }};
    for (const Alias& alias : kAliases) {
        if (detected == alias.detected) {
            return alias.label;
        }
    }
    if (detected.starts_with("WINDOWS-")) {
        return "windows-" + detected.substr(8);
    }
    return {};
}

// ---- UTF-8 --------------------------------------------------------------------------

struct Utf8Scan {
    std::size_t wellFormed = 0;  // multi-byte sequences
    std::size_t illFormed = 0;
};

// Whether the code point just read from [start, pos) is ill-formed: a
// U+FFFD that was not written out as its own three bytes.
bool IllFormedAt(std::string_view bytes, std::size_t start, std::size_t pos, char32_t cp) {
    return cp == U'\uFFFD' && bytes.substr(start, pos - start) != "\xEF\xBF\xBD";
}

Utf8Scan ScanUtf8(std::string_view bytes) {
    Utf8Scan scan;
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(bytes, pos);
        ++(IllFormedAt(bytes, start, pos, cp) ? scan.illFormed : scan.wellFormed);
    }
    return scan;
}

// A few ill-formed sequences among many good ones: an editor's stray byte.
bool FewEnoughToRepair(const Utf8Scan& scan) {
    return scan.wellFormed > 0 && scan.illFormed > 0 &&
           static_cast<double>(scan.illFormed) <=
               std::max(1.0, 0.02 * static_cast<double>(scan.wellFormed));
}

// ---- the readings -------------------------------------------------------------------

struct Reading {
    const char* converter = nullptr;  // null: UTF-8 as it lies
    std::string label;
    std::string sample;  // the sample in this reading
    double cost = 0;     // how wrong it looks
    TextLooks looks;
    std::ptrdiff_t order = 0;  // the candidate's place in the order of preference
    double score = 0;          // the cost less what speaks for it; lowest wins
};

// The vote, worth what the number of characters it rests on makes it.
struct Vote {
    std::string label;
    double weight = 0;

    double For(std::string_view candidate) const { return candidate == label ? weight : 0.0; }
};

// The sample read in `page`, judged until it costs more than `enough`.
Reading ReadAs(const CodePage& page, std::string_view sample, const Vote& vote, double enough) {
    Reading reading;
    reading.converter = page.converter;
    reading.label = page.label;
    reading.order = 1 + (&page - kCodePages.data());
    std::size_t substituted = 0;
    reading.sample = DecodeToUtf8(page.converter, sample, substituted);
    TextLooks looks = JudgeText(reading.sample, page.scripts, enough);
    // Some converters drop what they cannot read instead of marking it.
    const std::size_t dropped = substituted > looks.broken ? substituted - looks.broken : 0;
    looks.broken += dropped;
    reading.cost = looks.cost + kBrokenByte * static_cast<double>(dropped);
    reading.looks = looks;
    reading.score = reading.cost - vote.For(reading.label);
    return reading;
}

Reading ReadAsUtf8(std::string_view sample, const Vote& vote) {
    Reading utf8;
    utf8.label = "UTF-8";
    utf8.sample = std::string(sample);
    const TextLooks looks = JudgeText(sample, kAnyScript);
    utf8.cost = looks.cost;
    utf8.looks = looks;
    utf8.score = utf8.cost -
                 kUtf8SequenceWeight * static_cast<double>(ScanUtf8(sample).wellFormed) -
                 vote.For("UTF-8");
    return utf8;
}

// Every reading, best first. The one the detector voted for is judged first,
// and the others only as far as they could still come close to the best.
std::vector<Reading> ReadEveryWay(std::string_view sample, const Vote& vote, bool validUtf8) {
    std::vector<Reading> readings;
    double best = std::numeric_limits<double>::infinity();
    const auto take = [&](Reading reading) {
        best = std::min(best, reading.score);
        readings.push_back(std::move(reading));
    };
    if (validUtf8) {
        take(ReadAsUtf8(sample, vote));
    }
    const auto voted = std::find_if(kCodePages.begin(), kCodePages.end(),
                                    [&](const CodePage& page) { return vote.For(page.label) > 0; });
    if (voted != kCodePages.end()) {
        take(ReadAs(*voted, sample, vote, std::numeric_limits<double>::infinity()));
    }
    for (auto page = kCodePages.begin(); page != kCodePages.end(); ++page) {
        if (page != voted) {
            take(ReadAs(*page, sample, vote, best + kMargin));
        }
    }
    std::stable_sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
        return a.score < b.score || (a.score == b.score && a.order < b.order);
    });
    return readings;
}

// A reading that still looks wrong, whatever else was worse.
// A real text may hold an odd character now and then, a byte to repair, and
// rare Han characters (Cantonese writes many); a wrong reading holds an
// oddity at every few characters, or mostly rare Han characters.
bool LooksWrong(const Reading& reading) {
    const TextLooks& looks = reading.looks;
    const auto share = [](std::size_t part, double of) { return static_cast<double>(part) / of; };
    const double characters = std::max<double>(1, static_cast<double>(looks.nonAscii));
    return looks.oddities > 1.0 + 0.15 * characters ||
           share(looks.broken, std::max(50.0, characters)) > 0.02 ||
           share(looks.rareHan, std::max<double>(1, static_cast<double>(looks.han))) > 0.6;
}

DecodedText Uncertain(const std::vector<Reading>& readings, std::size_t runnerUp) {
    DecodedText decoded;
    decoded.encoding = SourceEncoding::Uncertain;
    decoded.charset.clear();
    decoded.candidates.push_back(readings.front().label);
    if (runnerUp < readings.size()) {
        decoded.candidates.push_back(readings[runnerUp].label);
    }
    return decoded;
}

DecodedText DecodeAs(std::string_view bytes, const Reading& reading) {
    if (!reading.converter) {
        DecodedText decoded;
        decoded.utf8 = std::string(bytes);
        return decoded;
    }
    return DecodeInCharset(bytes, reading.converter, reading.label);
}

// UTF-8 with a few bytes to repair wins when its good sequences look right
// and no code page reads the bytes cleanly.
bool RepairBeatsEveryCodePage(std::string_view sample, const Utf8Scan& scan,
                              const std::vector<Reading>& readings) {
    if (!FewEnoughToRepair(scan)) {
        return false;
    }
    const DecodedText repaired = RepairUtf8(sample);
    const double cost = JudgeText(repaired.utf8, kAnyScript).cost -
                        6.0 * static_cast<double>(repaired.replacedBytes);
    if (cost > 0.5) {
        return false;
    }
    return std::none_of(readings.begin(), readings.end(),
                        [](const Reading& r) { return r.cost == 0; });
}

// ---- UTF-16 --------------------------------------------------------------------------

// Whether the bytes read as UTF-16 in that order give well-formed units,
// no NUL characters, and at least one line break.
bool WellFormedUtf16(std::string_view bytes, bool littleEndian) {
    bool lineBreak = false;
    bool expectLow = false;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[i]);
        const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned unit = littleEndian ? first | (second << 8) : (first << 8) | second;
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (unit == 0 || low != expectLow) {
            return false;
        }
        expectLow = high;
        lineBreak = lineBreak || unit == '\n' || unit == '\r';
    }
    return lineBreak;
}

}  // namespace

DecodedText RepairUtf8(std::string_view bytes) {
    DecodedText decoded;
    decoded.encoding = SourceEncoding::Utf8Repaired;
    decoded.charset = "UTF-8";
    decoded.utf8.reserve(bytes.size() + 16);
    std::size_t line = 1;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const char c = bytes[pos];
        if (static_cast<unsigned char>(c) < 0x80) {
            line += c == '\n' ? 1u : 0u;
            decoded.utf8 += c;
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(bytes, pos);
        if (IllFormedAt(bytes, start, pos, cp)) {
            if (decoded.replacedBytes++ == 0) {
                decoded.firstReplacedLine = line;
            }
            AppendUtf8(decoded.utf8, U'\uFFFD');
        } else {
            decoded.utf8.append(bytes.substr(start, pos - start));
        }
    }
    return decoded;
}

DecodedText DecodeInCharset(std::string_view bytes, const char* converter, std::string label) {
    DecodedText decoded;
    decoded.encoding = SourceEncoding::CodePage;
    decoded.charset = std::move(label);
    decoded.utf8 = DecodeToUtf8(converter, bytes, decoded.replacedBytes);
    if (decoded.replacedBytes > 0) {
        const std::size_t at = decoded.utf8.find("\xEF\xBF\xBD");
        const std::string_view before = std::string_view(decoded.utf8).substr(0, at);
        decoded.firstReplacedLine =
            1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    }
    return decoded;
}

std::vector<GuessedCodePage> GuessedCodePages() {
    std::vector<GuessedCodePage> pages;
    pages.reserve(kCodePages.size());
    for (const CodePage& page : kCodePages) {
        pages.push_back({page.converter, page.label});
    }
    return pages;
}

std::string ConverterForLabel(const std::string& label) {
    const auto page = std::find_if(kCodePages.begin(), kCodePages.end(),
                                   [&](const CodePage& p) { return label == p.label; });
    return page != kCodePages.end() ? page->converter : label;
}

std::optional<SourceEncoding> UnmarkedUtf16(std::string_view bytes) {
    std::string_view sample = bytes.substr(0, std::size_t{64} * 1024);
    sample = sample.substr(0, sample.size() & ~std::size_t{1});
    std::size_t zeroEven = 0;
    std::size_t zeroOdd = 0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        ++((i % 2 == 0) ? zeroEven : zeroOdd);
        if (sample[i] != '\0') {
            --((i % 2 == 0) ? zeroEven : zeroOdd);
        }
    }
    if (zeroEven + zeroOdd == 0) {
        return std::nullopt;
    }
    // Latin letters, digits and line breaks put their zero byte second in
    // little-endian text; Han characters such as 一 put a zero first.
    const bool littleFirst = zeroOdd >= zeroEven;
    for (const bool little : {littleFirst, !littleFirst}) {
        if (WellFormedUtf16(sample, little)) {
            return little ? SourceEncoding::Utf16Le : SourceEncoding::Utf16Be;
        }
    }
    return std::nullopt;
}

bool IsUtf8BeyondDoubt(std::string_view validUtf8) {
    std::size_t sequences = 0;
    for (const char c : validUtf8) {
        sequences += static_cast<unsigned char>(c) >= 0xC2 ? 1u : 0u;
        if (sequences >= kSureUtf8Sequences) {
            return true;
        }
    }
    return sequences == 0 || JudgeText(SampleOf(validUtf8), kAnyScript).cost == 0;
}

DecodedText GuessAndDecode(std::string_view bytes) {
    const std::string sampled = SampleOf(bytes);
    const std::string_view sample = sampled;
    const Utf8Scan scan = ScanUtf8(sample);
    const auto highBytes =
        static_cast<double>(std::count_if(sample.begin(), sample.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        }));
    const Vote vote{DetectorVote(sample),
                    kDetectorVote * std::min(1.0, highBytes / kCharactersForAFullVote)};
    const bool validUtf8 = scan.illFormed == 0 && IsValidUtf8(bytes);
    const std::vector<Reading> readings = ReadEveryWay(sample, vote, validUtf8);
    if (!validUtf8 && RepairBeatsEveryCodePage(sample, scan, readings)) {
        return RepairUtf8(bytes);
    }
    const Reading& best = readings.front();
    std::size_t runnerUp = 1;
    while (runnerUp < readings.size() && readings[runnerUp].sample == best.sample) {
        ++runnerUp;
    }
    const bool close =
        runnerUp < readings.size() && readings[runnerUp].score - best.score < kMargin;
    if (close || LooksWrong(best)) {
        return Uncertain(readings, runnerUp);
    }
    return DecodeAs(bytes, best);
}

}  // namespace orvane::textio
