// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/icu_handles.h"

#include <unicode/ustring.h>

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
    // No charset gives more UTF-16 units than it has bytes, a substitute
    // included.
    std::u16string units(bytes.size() + 16, u'\0');
    const int32_t unitCount =
        ucnv_toUChars(source.get(), units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error)) {
        return {};
    }
    std::string out(static_cast<std::size_t>(unitCount) * 3 + 16, '\0');
    int32_t length = 0;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, units.data(),
                       unitCount, 0xFFFD, nullptr, &error);
    out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
    substituted = counter.count;
    return out;
}

}  // namespace orvane::textio
