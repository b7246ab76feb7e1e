// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/encoding.h"

#include <uchardet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <optional>
#include <type_traits>

#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

const std::string_view kUtf8Bom = "\xEF\xBB\xBF";
const std::string_view kUtf16LeBom = "\xFF\xFE";
const std::string_view kUtf16BeBom = "\xFE\xFF";
const std::string_view kUtf32LeBom{"\xFF\xFE\x00\x00", 4};
const std::string_view kUtf32BeBom{"\x00\x00\xFE\xFF", 4};

// Enough text for the detector to be sure; more only costs time.
constexpr std::size_t kSampleBytes = std::size_t{64} * 1024;

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// ---- UTF-16 without a mark -----------------------------------------------------

// Subtitle text is mostly digits, colons, spaces and line ends; in UTF-16
// every one of them has a zero byte on the same side.
std::optional<SourceEncoding> Utf16ByZeroBytes(std::string_view bytes) {
    const std::size_t pairs = std::min(bytes.size(), kSampleBytes) / 2;
    if (pairs < 2) {
        return std::nullopt;
    }
    std::size_t zeroFirst = 0;
    std::size_t zeroSecond = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        zeroFirst += bytes[2 * i] == '\0' ? 1u : 0u;
        zeroSecond += bytes[2 * i + 1] == '\0' ? 1u : 0u;
    }
    const auto many = [pairs](std::size_t zeros) { return zeros * 4 >= pairs; };
    const auto few = [pairs](std::size_t zeros) { return zeros * 64 <= pairs; };
    if (many(zeroSecond) && few(zeroFirst)) {
        return SourceEncoding::Utf16Le;
    }
    if (many(zeroFirst) && few(zeroSecond)) {
        return SourceEncoding::Utf16Be;
    }
    return std::nullopt;
}

// ---- UTF-8 with a few invalid bytes ---------------------------------------------

struct Utf8Scan {
    std::size_t validMultiByte = 0;  // well-formed sequences of two bytes or more
    std::size_t invalid = 0;         // ill-formed sequences
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
        if (IllFormedAt(bytes, start, pos, cp)) {
            ++scan.invalid;
        } else {
            ++scan.validMultiByte;
        }
    }
    return scan;
}

// Nearly every multi-byte sequence is valid UTF-8: a text in another code
// page has few valid ones by chance (GBK about one in twelve characters).
bool IsNearlyUtf8(const Utf8Scan& scan) {
    return scan.validMultiByte > 0 && scan.invalid * 4 <= scan.validMultiByte;
}

// The text with each ill-formed sequence replaced by U+FFFD.
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

// ---- code pages ---------------------------------------------------------------------

// Decodes `bytes` from an ICU charset into `decoded`. Bytes that are not
// text in it are counted and the line of the first replacement is noted, so
// that the file is never written over its source and people are told where
// to look.
void DecodeThroughIcu(DecodedText& decoded, const char* charset, std::string_view bytes) {
    decoded.utf8 = DecodeToUtf8(charset, bytes, decoded.replacedBytes);
    if (decoded.replacedBytes == 0) {
        return;
    }
    const std::size_t at = decoded.utf8.find("\xEF\xBF\xBD");
    const std::string_view before =
        std::string_view(decoded.utf8).substr(0, at == std::string::npos ? 0 : at);
    decoded.firstReplacedLine =
        1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
}

// What the detector thinks, in its own names ("GB18030", "WINDOWS-1252");
// empty when it has no answer.
std::string Detect(std::string_view bytes) {
    struct Closer {
        void operator()(uchardet_t detector) const { uchardet_delete(detector); }
    };
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, Closer> detector(uchardet_new());
    if (!detector) {
        return {};
    }
    const std::string_view sample = bytes.substr(0, kSampleBytes);
    if (uchardet_handle_data(detector.get(), sample.data(), sample.size()) != 0) {
        return {};
    }
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    return name ? Upper(name) : std::string();
}

struct CodePage {
    const char* converter;  // ICU's name
    const char* label;      // for people
};

// The detector's names that ICU knows by another name, or that are better
// read by a superset.
CodePage CodePageFor(const std::string& detected) {
    struct Known {
        const char* detected;
        CodePage page;
    };
    static constexpr std::array<Known, 9> kKnown{{
        {"GB18030", {"GB18030", "GBK"}},
        {"GB2312", {"GB18030", "GBK"}},
        {"GBK", {"GB18030", "GBK"}},
        {"BIG5", {"Big5-HKSCS", "Big5"}},
        // Latin-1's 0x80-0x9F are control codes no subtitle holds; text that
        // uses them means windows-1252's quotes and dashes.
        {"ISO-8859-1", {"windows-1252", "windows-1252"}},
        {"UHC", {"windows-949", "EUC-KR"}},
        {"MAC-CYRILLIC", {"x-mac-cyrillic", "x-mac-cyrillic"}},
        {"MAC-CENTRALEUROPE", {"x-mac-centraleurroman", "x-mac-centraleurroman"}},
        {"IBM855", {"ibm-855", "IBM855"}},
    }};
    for (const Known& known : kKnown) {
        if (detected == known.detected) {
            return known.page;
        }
    }
    return {nullptr, nullptr};
}

// The detector's name as people write it: "windows-1251", "Shift_JIS".
std::string LabelOf(const std::string& detected) {
    if (detected.starts_with("WINDOWS-")) {
        return "windows-" + detected.substr(8);
    }
    if (detected == "SHIFT_JIS") {
        return "Shift_JIS";
    }
    return detected;
}

// Multi-byte pages name East Asian text; the rest are one byte a character.
bool IsSingleBytePage(const std::string& detected) {
    static constexpr std::array<std::string_view, 5> kMultiByte{"BIG5", "EUC", "GB", "SHIFT_JIS",
                                                                "ISO-2022"};
    return std::none_of(kMultiByte.begin(), kMultiByte.end(),
                        [&](std::string_view prefix) { return detected.starts_with(prefix); });
}

// Every byte above ASCII pairs into a GB2312 Chinese character (A1-F7 then
// A1-FE). A short Chinese text gives a detector too little to go on, and it
// may name a single-byte page; Latin or Cyrillic words rarely pair up so.
bool IsStrictGb2312(std::string_view bytes) {
    std::size_t pairs = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            continue;
        }
        if (i + 1 >= bytes.size()) {
            return false;
        }
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) {
            return false;
        }
        ++pairs;
        ++i;
    }
    return pairs > 0;
}

DecodedText DecodeCodePage(std::string_view bytes, const std::string& converter,
                           std::string label) {
    DecodedText decoded;
    decoded.encoding = SourceEncoding::CodePage;
    decoded.charset = std::move(label);
    DecodeThroughIcu(decoded, converter.c_str(), bytes);
    return decoded;
}

// Characters that a right reading of Chinese text does not give: private-use
// code points (where GBK puts the bytes Big5 uses for common characters, and
// the other way round) and replacements.
std::size_t Oddities(std::string_view utf8) {
    std::size_t odd = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, pos);
        odd += (cp >= 0xE000 && cp <= 0xF8FF) || cp == U'\uFFFD' ? 1u : 0u;
    }
    return odd;
}

// Simplified Chinese in GBK keeps to GB2312's characters (both bytes
// A1-FE) nearly always; Big5 read as GBK puts a third or more of its
// characters outside, where Big5's second bytes 40-7E land.
bool LooksLikeGbk(std::string_view bytes) {
    std::size_t common = 0;
    std::size_t other = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x81) {
            continue;
        }
        const auto trail = static_cast<unsigned char>(bytes[i + 1]);
        (lead >= 0xA1 && trail >= 0xA1 ? common : other) += 1;
        ++i;
    }
    return other * 5 <= common + other;
}

// The detector tells Big5 from GBK by statistics, which a short or
// repetitive text can mislead. The other reading wins when it gives fewer
// odd characters, or as many while the bytes do not look like GBK.
DecodedText DecodeChinese(std::string_view bytes, bool detectorSaidBig5) {
    const CodePage gbk = CodePageFor("GB18030");
    const CodePage big5 = CodePageFor("BIG5");
    const std::string_view sample = bytes.substr(0, kSampleBytes);
    const bool gbkLikely = LooksLikeGbk(sample);
    const CodePage& first = detectorSaidBig5 ? big5 : gbk;
    const CodePage& second = detectorSaidBig5 ? gbk : big5;
    DecodedText chosen = DecodeCodePage(bytes, first.converter, first.label);
    // The sample's worth of text is enough to judge by.
    const std::size_t judged = 3 * kSampleBytes;
    const std::size_t firstOdd = Oddities(std::string_view(chosen.utf8).substr(0, judged));
    const bool doubtful = firstOdd > 0 || (!detectorSaidBig5 && !gbkLikely);
    if (!doubtful) {
        return chosen;
    }
    DecodedText other = DecodeCodePage(bytes, second.converter, second.label);
    const std::size_t otherOdd = Oddities(std::string_view(other.utf8).substr(0, judged));
    const bool otherBetter =
        otherOdd < firstOdd || (otherOdd == firstOdd && !detectorSaidBig5 && !gbkLikely);
    return otherBetter ? other : chosen;
}

// Text that is neither marked nor valid UTF-8.
DecodedText DecodeUnknown(std::string_view bytes) {
    const std::string detected = Detect(bytes);
    if (detected == "UTF-8" || IsNearlyUtf8(ScanUtf8(bytes))) {
        return RepairUtf8(bytes);
    }
    const CodePage known = CodePageFor(detected);
    if (known.converter &&
        (known.label == std::string_view("GBK") || known.label == std::string_view("Big5"))) {
        return DecodeChinese(bytes, known.label == std::string_view("Big5"));
    }
    if (known.converter) {
        return DecodeCodePage(bytes, known.converter, known.label);
    }
    const bool usable = !detected.empty() && detected != "ASCII" && OpenConverter(detected.c_str());
    if (usable && !(IsSingleBytePage(detected) && IsStrictGb2312(bytes.substr(0, kSampleBytes)))) {
        // ICU knows most of the detector's names as they are.
        return DecodeCodePage(bytes, detected, LabelOf(detected));
    }
    // The mainland's code page, as the files our users meet most often are,
    // unless the bytes read far better as Big5.
    return DecodeChinese(bytes, false);
}

DecodedText DecodeUtf16(std::string_view body, SourceEncoding encoding) {
    DecodedText decoded;
    decoded.encoding = encoding;
    decoded.charset = encoding == SourceEncoding::Utf16Le ? "UTF-16LE" : "UTF-16BE";
    DecodeThroughIcu(decoded, decoded.charset.c_str(), body);
    return decoded;
}

// In the charset the user named: only a matching mark is taken away.
DecodedText DecodeForced(std::string_view bytes, std::string_view forcedCharset) {
    const std::string name(forcedCharset);
    const std::string upper = Upper(name);
    if (upper == "UTF-8" || upper == "UTF8") {
        if (StartsWith(bytes, kUtf8Bom)) {
            bytes.remove_prefix(kUtf8Bom.size());
        }
        return RepairUtf8(bytes);  // valid UTF-8 is read as it lies
    }
    return DecodeCodePage(bytes, name, name);
}

}  // namespace

bool IsKnownCharset(std::string_view name) {
    return !name.empty() && OpenConverter(std::string(name).c_str()) != nullptr;
}

std::optional<Utf8AsItLies> ReadableAsItLies(std::string_view bytes,
                                             std::string_view forcedCharset) {
    Utf8AsItLies asItLies;
    if (!forcedCharset.empty()) {
        const std::string upper = Upper(forcedCharset);
        if (upper != "UTF-8" && upper != "UTF8") {
            return std::nullopt;
        }
        // In the charset the user named, only the mark is taken away.
        asItLies.markBytes = StartsWith(bytes, kUtf8Bom) ? kUtf8Bom.size() : 0;
    } else if (StartsWith(bytes, kUtf8Bom)) {
        asItLies.markBytes = kUtf8Bom.size();
        asItLies.encoding = SourceEncoding::Utf8Bom;
        asItLies.charset = "UTF-8 (BOM)";
    } else if (StartsWith(bytes, kUtf32LeBom) || StartsWith(bytes, kUtf32BeBom) ||
               StartsWith(bytes, kUtf16LeBom) || StartsWith(bytes, kUtf16BeBom) ||
               Utf16ByZeroBytes(bytes)) {
        return std::nullopt;
    }
    if (!IsValidUtf8(bytes.substr(asItLies.markBytes))) {
        return std::nullopt;
    }
    return asItLies;
}

DecodedText DecodeText(std::string_view bytes, std::string_view forcedCharset) {
    DecodedText decoded;
    if (std::optional<Utf8AsItLies> asItLies = ReadableAsItLies(bytes, forcedCharset)) {
        decoded.utf8 = std::string(bytes.substr(asItLies->markBytes));
        decoded.encoding = asItLies->encoding;
        decoded.charset = std::move(asItLies->charset);
        return decoded;
    }
    if (!forcedCharset.empty()) {
        return DecodeForced(bytes, forcedCharset);
    }
    if (StartsWith(bytes, kUtf32LeBom) || StartsWith(bytes, kUtf32BeBom)) {
        decoded.encoding = SourceEncoding::Unsupported;
        decoded.charset = "UTF-32";
        return decoded;
    }
    if (StartsWith(bytes, kUtf16LeBom)) {
        return DecodeUtf16(bytes.substr(2), SourceEncoding::Utf16Le);
    }
    if (StartsWith(bytes, kUtf16BeBom)) {
        return DecodeUtf16(bytes.substr(2), SourceEncoding::Utf16Be);
    }
    if (StartsWith(bytes, kUtf8Bom)) {
        // A mark in front of text in another encoding: some tools add it
        // without converting.
        return DecodeUnknown(bytes.substr(kUtf8Bom.size()));
    }
    if (const std::optional<SourceEncoding> utf16 = Utf16ByZeroBytes(bytes)) {
        return DecodeUtf16(bytes, *utf16);
    }
    return DecodeUnknown(bytes);
}

}  // namespace orvane::textio
