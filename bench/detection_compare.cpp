// SPDX-License-Identifier: GPL-3.0-or-later
// The detection table for Orvane's guess, libuchardet's command-line tool
// and enca side by side: for each language and encoding, how many files each
// reads as their own text, refuses, or reads as other text.
//   orvane-detection-compare [FILES_PER_SIZE]
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "textio/detection_table.h"
#include "textio/encoding.h"
#include "textio/icu_handles.h"

namespace {
namespace fs = std::filesystem;
using namespace orvane::textio;

enum Outcome { kRight, kRefused, kWrong };

// The first word a command prints, or "" when it cannot be run.
std::string FirstWord(const std::string& command) {
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::array<char, 256> line{};
    if (!pipe || !fgets(line.data(), line.size(), pipe.get())) {
        return {};
    }
    std::string word(line.data());
    return word.substr(0, word.find_first_of(" \r\n"));
}

// A tool's answer, decoded through ICU and compared with the text.
Outcome Judge(const std::string& charset, const table::File& file) {
    if (charset.empty() || charset == "unknown" || charset == "???" ||
        !OpenConverter(charset.c_str())) {
        return kRefused;
    }
    std::size_t substituted = 0;
    std::string text = DecodeToUtf8(charset.c_str(), file.bytes, substituted);
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.erase(0, 3);
    }
    return text == file.text ? kRight : kWrong;
}

Outcome Orvane(const table::File& file) {
    const DecodedText decoded = DecodeText(file.bytes);
    if (decoded.encoding == SourceEncoding::Uncertain) {
        return kRefused;
    }
    return decoded.utf8 == file.text ? kRight : kWrong;
}

// enca needs the language it is to expect.
std::string EncaLanguage(const std::string& name) {
    static const std::map<std::string, std::string> kLanguages{
        {"zh", "chinese"},
        {"ru", "russian"},
        {"pl", "polish"},
        {"cs", "czech"},
    };
    const auto found = kLanguages.find(name.substr(0, 2));
    return found == kLanguages.end() ? "none" : found->second;
}

struct Tally {
    std::array<int, 3> orvane{};
    std::array<int, 3> uchardet{};
    std::array<int, 3> enca{};
};

void Print(const std::string& name, const Tally& t) {
    const auto cell = [](const std::array<int, 3>& c) {
        return std::to_string(c[kRight]) + " / " + std::to_string(c[kRefused]) + " / " +
               std::to_string(c[kWrong]);
    };
    std::cout << "| " << name << " | " << cell(t.orvane) << " | " << cell(t.uchardet) << " | "
              << cell(t.enca) << " |\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int perSize = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const table::Lines lines(ORVANE_TEST_DATA_DIR "/subtitle_lines.tsv");
    const fs::path folder = fs::temp_directory_path() / "orvane-detection-compare";
    fs::create_directories(folder);
    std::map<std::string, Tally> byPair;
    Tally all;
    Tally fromThree;
    for (const table::File& file : table::MakeFiles(lines, perSize, 20261209)) {
        const fs::path path = folder / "file.srt";
        std::ofstream(path, std::ios::binary) << file.bytes;
        const std::string quoted = "'" + path.string() + "'";
        const Outcome outcomes[] = {
            Orvane(file),
            Judge(FirstWord("uchardet " + quoted), file),
            Judge(
                FirstWord("enca -L " + EncaLanguage(file.name) + " -i " + quoted + " 2>/dev/null"),
                file),
        };
        const std::string pair = file.name.substr(0, file.name.rfind('/'));
        for (Tally* tally : {&byPair[pair], &all, file.cues >= 3 ? &fromThree : nullptr}) {
            if (tally) {
                ++tally->orvane[outcomes[0]];
                ++tally->uchardet[outcomes[1]];
                ++tally->enca[outcomes[2]];
            }
        }
    }
    fs::remove_all(folder);
    std::cout << "| language / encoding | Orvane right / refused / wrong | uchardet | enca |\n"
              << "|---|---|---|---|\n";
    for (const auto& [pair, tally] : byPair) {
        Print(pair, tally);
    }
    Print("**all sizes**", all);
    Print("**3 cues and more**", fromThree);
    return 0;
}
