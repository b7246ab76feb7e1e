// SPDX-License-Identifier: GPL-3.0-or-later
// Text written to a file in its output encoding, through the atomic writer.
#include <algorithm>

#include "textio/gbk.h"
#include "textio/text_file.h"

namespace orvane::textio {
namespace fs = std::filesystem;

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
}  // namespace

TextFileWriter::TextFileWriter(fs::path target, Charset charset, WriteOptions options)
    : TextFileWriter(std::move(target), OutputEncodingOf(charset), std::move(options)) {}

TextFileWriter::TextFileWriter(fs::path target, OutputEncoding encoding, WriteOptions options)
    : file_(std::move(target), std::move(options)), encoder_(std::move(encoding)) {
    if (!encoder_.Mark().empty()) {
        file_.Write(encoder_.Mark());
    }
}

void TextFileWriter::Write(std::string_view utf8) {
    if (encoder_.PassesUtf8Through()) {
        file_.Write(utf8);  // no copy of what is written as it stands
        return;
    }
    // A slice at a time, whole characters each: a huge piece is never held
    // a second time in the other encoding.
    constexpr std::size_t kSlice = std::size_t{1} << 20;
    while (!utf8.empty()) {
        std::size_t cut = std::min(utf8.size(), kSlice);
        while (cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0U) == 0x80U) {
            ++cut;  // not inside a character
        }
        file_.Write(encoder_.Encode(utf8.substr(0, cut)));
        utf8.remove_prefix(cut);
    }
}

WriteResult TextFileWriter::Commit() {
    WriteResult result;
    if (!file_.Commit()) {
        result.failure = file_.failure();
    }
    result.gbk = encoder_.TakeReport();
    return result;
}

std::string EncodeText(std::string_view utf8, Charset charset, GbkEncodeReport* report) {
    if (charset == Charset::Gb2312) {
        return EncodeGbk(utf8, report);
    }
    std::string bytes;
    bytes.reserve(utf8.size() + 3);
    bytes += kUtf8Mark;
    bytes += utf8;
    return bytes;
}

WriteResult WriteTextFile(const fs::path& path, std::string_view utf8, Charset charset,
                          WriteOptions options) {
    TextFileWriter writer(path, charset, std::move(options));
    writer.Write(utf8);
    return writer.Commit();
}

}  // namespace orvane::textio
