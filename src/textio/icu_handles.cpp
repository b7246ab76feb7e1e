// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/icu_handles.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <array>
#include <tuple>

namespace orvane::textio {

ConverterPtr OpenConverter(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(name, &error));
    if (U_FAILURE(error)) {
        return nullptr;
    }
    return converter;
}

std::string ConvertCharset(const char* to, const char* from, std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    // UTF-16 to UTF-8 can grow by 3/2; GBK to UTF-8 by the same.
    std::string out(bytes.size() * 2 + 16, '\0');
    auto convert = [&] {
        UErrorCode error = U_ZERO_ERROR;
        const int32_t n = ucnv_convert(to, from, out.data(), static_cast<int32_t>(out.size()),
                                       bytes.data(), static_cast<int32_t>(bytes.size()), &error);
        return std::pair{n, error};
    };
    auto [n, error] = convert();
    if (error == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<std::size_t>(n));
        std::tie(n, error) = convert();
    }
    out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(n) : 0);
    return out;
}

namespace {

// Counts what the converter could not read, then lets its own substitute
// callback write the replacement.
struct SubstitutionCounter {
    UConverterToUCallback next = nullptr;
    const void* nextContext = nullptr;
    std::size_t count = 0;
};

void CountThenSubstitute(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits,
                         int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
    auto* counter = static_cast<SubstitutionCounter*>(const_cast<void*>(context));
    if (reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL || reason == UCNV_IRREGULAR) {
        ++counter->count;
    }
    counter->next(counter->nextContext, args, codeUnits, length, reason, error);
}

}  // namespace

std::string DecodeToUtf8(const char* from, std::string_view bytes, std::size_t& substituted) {
    substituted = 0;
    // Before the converter: closing it calls the callback once more.
    SubstitutionCounter counter;
    const ConverterPtr source = OpenConverter(from);
    if (bytes.empty() || !source) {
        return {};
    }
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setToUCallBack(source.get(), CountThenSubstitute, &counter, &counter.next,
                        &counter.nextContext, &error);
    // A block of UTF-16 at a time, so a large file is held once as bytes and
    // once as UTF-8, never whole in between. No byte gives more than three
    // bytes of UTF-8; the room is reserved, and only what is written is used.
    std::string out;
    out.reserve(bytes.size() * 3 + 16);
    constexpr std::size_t kBlock = 16384;
    std::array<UChar, kBlock> units{};
    std::array<char, kBlock * 3> utf8{};
    const char* next = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    std::size_t carried = 0;  // a lead surrogate whose trail the next block holds
    for (;;) {
        UChar* target = units.data() + carried;
        error = U_ZERO_ERROR;
        ucnv_toUnicode(source.get(), &target, units.data() + units.size(), &next, end, nullptr,
                       /*flush=*/1, &error);
        const bool more = error == U_BUFFER_OVERFLOW_ERROR;
        if (U_FAILURE(error) && !more) {
            return {};
        }
        const auto count = static_cast<std::size_t>(target - units.data());
        carried = more && count > 0 && U16_IS_LEAD(units[count - 1]) ? 1 : 0;
        int32_t length = 0;
        error = U_ZERO_ERROR;
        u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, units.data(),
                           static_cast<int32_t>(count - carried), 0xFFFD, nullptr, &error);
        if (U_FAILURE(error)) {
            return {};
        }
        out.append(utf8.data(), static_cast<std::size_t>(length));
        if (carried == 1) {
            units[0] = units[count - 1];
        }
        if (!more) {
            break;
        }
    }
    substituted = counter.count;
    return out;
}

}  // namespace orvane::textio
