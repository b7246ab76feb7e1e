// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/output_encoding.h"

#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "textio/encoding_guess.h"
#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

struct Named {
    const char* name;
    OutputEncoding encoding;
};

// "big5" writes the plain Big5 every player reads (code page 950).
const std::array<Named, 5> kNamed{{
    {"utf-8", {"UTF-8", false}},
    {"utf-8-bom", {"UTF-8", true}},
    {"gb18030", {"GB18030", false}},
    {"big5", {"windows-950", false}},
    {"utf-16le", {"UTF-16LE", true}},
}};

// As the source was read: its own encoding, with a mark where it had one.
OutputEncoding SameAs(const DecodedText& source) {
    switch (source.encoding) {
        case SourceEncoding::Utf8Bom:
            return {"UTF-8", true};
        case SourceEncoding::Utf16Le:
            return {"UTF-16LE", source.marked};
        case SourceEncoding::Utf16Be:
            return {"UTF-16BE", source.marked};
        case SourceEncoding::CodePage:
            return {ConverterForLabel(source.charset), false};
        default:
            return {"UTF-8", false};
    }
}

// Where the text being encoded is, for the callback that counts what the
// encoding lacks.
struct Counting {
    GbkEncodeReport* report;
    const UChar* start;
    std::u16string_view text;
};

std::size_t LineAt(const Counting& counting, const UChar* at) {
    const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, at - counting.start));
    const std::u16string_view before = counting.text.substr(0, offset);
    return counting.report->linesSeen + 1 +
           static_cast<std::size_t>(std::count(before.begin(), before.end(), u'\n'));
}

void CountAndSubstitute(const void* context, UConverterFromUnicodeArgs* args,
                        const UChar* codeUnits, int32_t length, UChar32 codePoint,
                        UConverterCallbackReason reason, UErrorCode* error) {
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
        const auto& counting = *static_cast<const Counting*>(context);
        GbkEncodeReport& report = *counting.report;
        if (report.firstUnencodable.size() < GbkEncodeReport::kMaxListed) {
            report.firstUnencodable.push_back(
                {static_cast<char32_t>(codePoint), LineAt(counting, args->source)});
        }
        ++report.unencodableCount;
    }
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, codePoint, reason, error);
}

}  // namespace

void TextEncoder::Closer::operator()(UConverter* converter) const {
    ucnv_close(converter);
}

OutputEncoding OutputEncodingOf(Charset charset) {
    return charset == Charset::Utf8 ? OutputEncoding{"UTF-8", true}
                                    : OutputEncoding{"GB2312", false};
}

bool IsOutputEncodingName(std::string_view name) {
    const std::string lower = Lower(name);
    return lower == "same" || std::any_of(kNamed.begin(), kNamed.end(),
                                          [&](const Named& n) { return lower == n.name; });
}

OutputEncoding ChooseOutputEncoding(std::string_view name, bool ansi, const DecodedText& source) {
    if (ansi) {
        return {"GB2312", false};
    }
    const std::string lower = Lower(name);
    if (lower == "same") {
        return SameAs(source);
    }
    for (const Named& named : kNamed) {
        if (lower == named.name) {
            return named.encoding;
        }
    }
    return {};
}

TextEncoder::TextEncoder(OutputEncoding encoding) : encoding_(std::move(encoding)) {
    if (encoding_.charset != "UTF-8" && encoding_.charset != "GB2312") {
        converter_.reset(OpenConverter(encoding_.charset.c_str()).release());
        if (converter_) {
            UErrorCode error = U_ZERO_ERROR;
            ucnv_setSubstChars(converter_.get(), "?", 1, &error);
        }
    }
}

std::string_view TextEncoder::Mark() const {
    if (!encoding_.mark) {
        return {};
    }
    if (encoding_.charset == "UTF-8") {
        return "\xEF\xBB\xBF";
    }
    if (encoding_.charset == "UTF-16LE") {
        return "\xFF\xFE";
    }
    if (encoding_.charset == "UTF-16BE") {
        return "\xFE\xFF";
    }
    return {};
}

std::string TextEncoder::Encode(std::string_view utf8) {
    if (encoding_.charset == "UTF-8") {
        return std::string(utf8);
    }
    if (encoding_.charset == "GB2312") {
        return EncodeGbk(utf8, &report_);
    }
    std::string bytes = EncodeThroughIcu(utf8);
    report_.linesSeen += static_cast<std::size_t>(std::count(utf8.begin(), utf8.end(), '\n'));
    return bytes;
}

std::string TextEncoder::EncodeThroughIcu(std::string_view utf8) {
    if (!converter_ || utf8.empty()) {
        return {};
    }
    std::u16string text;
    text.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp < 0x10000) {
            text += static_cast<char16_t>(cp);
        } else {
            text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    const Counting counting{&report_, reinterpret_cast<const UChar*>(text.data()), text};
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setFromUCallBack(converter_.get(), CountAndSubstitute, &counting, nullptr, nullptr,
                          &error);
    std::string out(text.size() * 4 + 16, '\0');
    error = U_ZERO_ERROR;
    const int32_t written =
        ucnv_fromUChars(converter_.get(), out.data(), static_cast<int32_t>(out.size()),
                        counting.start, static_cast<int32_t>(text.size()), &error);
    out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(written) : 0);
    return out;
}

}  // namespace orvane::textio
