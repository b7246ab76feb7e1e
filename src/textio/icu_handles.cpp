// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/icu_handles.h"

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

}  // namespace orvane::textio
