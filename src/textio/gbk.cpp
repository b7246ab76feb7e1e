// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/gbk.h"

#include <algorithm>
#include <bitset>

#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

constexpr const char* kGbkConverter = "GBK";  // ICU maps this to windows-936-2000

// Which code points GBK holds, and in how many bytes, built once from ICU's
// round-trip set. GBK holds nothing outside the Basic Multilingual Plane.
using BmpSet = std::bitset<0x10000>;

struct GbkTable {
    BmpSet oneByte;  // beyond ASCII: the euro sign (0x80) and U+F8F5 (0xFF)
    BmpSet twoBytes;
};

const GbkTable& Table() {
    static const GbkTable table = [] {
        GbkTable result;
        ConverterPtr converter = OpenConverter(kGbkConverter);
        if (!converter) {
            // An ICU built without GBK: every character outside ASCII is then
            // counted as one GB2312 cannot hold, so the run says so.
            return result;
        }
        SetPtr roundTrip(uset_openEmpty());
        UErrorCode error = U_ZERO_ERROR;
        ucnv_getUnicodeSet(converter.get(), roundTrip.get(), UCNV_ROUNDTRIP_SET, &error);
        const int32_t ranges = uset_getItemCount(roundTrip.get());
        for (int32_t r = 0; r < ranges; ++r) {
            UChar32 start = 0;
            UChar32 end = 0;
            error = U_ZERO_ERROR;
            if (uset_getItem(roundTrip.get(), r, &start, &end, nullptr, 0, &error) != 0) {
                continue;  // a string item, not a range
            }
            for (UChar32 cp = std::max<UChar32>(start, 0x80); cp <= end && cp < 0x10000; ++cp) {
                // Ask the converter: a few characters take one byte only.
                const UChar unit = static_cast<UChar>(cp);
                char bytes[8];
                error = U_ZERO_ERROR;
                const int32_t length =
                    ucnv_fromUChars(converter.get(), bytes, sizeof bytes, &unit, 1, &error);
                if (U_SUCCESS(error) && length == 1) {
                    result.oneByte.set(static_cast<std::size_t>(cp));
                } else if (U_SUCCESS(error) && length == 2) {
                    result.twoBytes.set(static_cast<std::size_t>(cp));
                }
            }
        }
        return result;
    }();
    return table;
}

}  // namespace

bool GbkEncodesAsTwoBytes(char32_t cp) {
    return cp < 0x10000 && Table().twoBytes.test(cp);
}

bool GbkCanEncode(char32_t cp) {
    return cp < 0x80 || (cp < 0x10000 && (Table().oneByte.test(cp) || Table().twoBytes.test(cp)));
}

std::string EncodeGbk(std::string_view utf8, GbkEncodeReport* report) {
    // Put "?" in place of what GBK lacks first, so the conversion itself
    // never has to substitute and the report knows where each one was.
    std::string encodable;
    encodable.reserve(utf8.size());
    std::size_t line = (report ? report->linesSeen : 0) + 1;
    for (std::size_t pos = 0; pos < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            encodable += static_cast<char>(lead);
            line += lead == '\n' ? 1 : 0;
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(utf8, pos);
        if (GbkCanEncode(cp)) {
            encodable.append(utf8, start, pos - start);
            continue;
        }
        encodable += '?';
        if (report) {
            if (report->firstUnencodable.size() < GbkEncodeReport::kMaxListed) {
                report->firstUnencodable.push_back({cp, line});
            }
            ++report->unencodableCount;
        }
    }
    if (report) {
        report->linesSeen = line - 1;
    }
    return ConvertCharset(kGbkConverter, "UTF-8", encodable);
}

std::string DecodeGbk(std::string_view bytes) {
    return ConvertCharset("UTF-8", kGbkConverter, bytes);
}

}  // namespace orvane::textio
