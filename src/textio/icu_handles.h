// SPDX-License-Identifier: GPL-3.0-or-later
// RAII owners for ICU handles, and whole-buffer charset conversion.
#pragma once

#include <unicode/ucnv.h>
#include <unicode/uset.h>

#include <memory>
#include <string>
#include <string_view>

namespace orvane::textio {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

struct SetCloser {
    void operator()(USet* s) const { uset_close(s); }
};
using SetPtr = std::unique_ptr<USet, SetCloser>;

// Opens an ICU converter by name; null when ICU does not know it.
ConverterPtr OpenConverter(const char* name);

// Converts a whole buffer between two ICU charsets. Malformed input becomes
// the target's substitution character; it never fails for sizes below 2 GiB.
std::string ConvertCharset(const char* to, const char* from, std::string_view bytes);

// Decodes a whole buffer from an ICU charset to UTF-8 as ConvertCharset
// does, and counts the byte sequences that were not text in that charset
// (each became U+FFFD, or the charset's own substitute).
std::string DecodeToUtf8(const char* from, std::string_view bytes, std::size_t& substituted);

}  // namespace orvane::textio
