// SPDX-License-Identifier: GPL-3.0-or-later
// The encodings output is written in: UTF-8 with or without a mark, GB2312
// (the window's ANSI choice), GB18030, Big5, UTF-16LE, or what the source
// was read in. Characters an encoding lacks become "?" and are counted with
// their lines, as for GB2312.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textio/encoding.h"
#include "textio/gbk.h"

struct UConverter;  // ICU's, opened and closed in output_encoding.cpp

namespace orvane::textio {

struct OutputEncoding {
    std::string charset = "UTF-8";  // ICU's name; "GB2312" writes GBK bytes
    bool mark = true;               // a byte-order mark first (UTF-8, UTF-16 only)
};

// The window's two output charsets as output encodings.
OutputEncoding OutputEncodingOf(Charset charset);

// The names the command line takes: same, utf-8, utf-8-bom, gb18030, big5,
// utf-16le (any case).
bool IsOutputEncodingName(std::string_view name);

// The encoding that `name` chooses (empty: UTF-8 with a mark; with `ansi`,
// GB2312). "same" writes what `source` was read in, with a mark only where
// it had one.
OutputEncoding ChooseOutputEncoding(std::string_view name, bool ansi, const DecodedText& source);

// Turns pieces of UTF-8 text, each ending at a line break, into the bytes of
// an output encoding, mark first.
class TextEncoder {
public:
    explicit TextEncoder(OutputEncoding encoding);

    // The byte-order mark to write first, if any.
    std::string_view Mark() const;
    std::string Encode(std::string_view utf8);
    // True when Encode returns its input unchanged.
    bool PassesUtf8Through() const { return encoding_.charset == "UTF-8"; }
    // Characters the encoding lacks, written as "?".
    const GbkEncodeReport& Report() const { return report_; }
    GbkEncodeReport TakeReport() { return std::move(report_); }

private:
    std::string EncodeThroughIcu(std::string_view utf8);

    struct Closer {
        void operator()(UConverter* converter) const;
    };

    OutputEncoding encoding_;
    std::unique_ptr<UConverter, Closer> converter_;
    GbkEncodeReport report_;
};

}  // namespace orvane::textio
