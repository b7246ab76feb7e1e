// SPDX-License-Identifier: GPL-3.0-or-later
// Subtitle files as users meet them, made from sample lines in the encodings
// each language is written in, for the detection table test and the
// detection benchmark. Seeded: the same files on every run.
#pragma once

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "textio/icu_handles.h"

namespace orvane::textio::table {

struct Pair {
    const char* languages;  // one, or two joined by '+' for bilingual cues
    const char* charset;    // ICU's name, to make the bytes
};

// The languages and the encodings their subtitles come in.
inline const std::vector<Pair>& Pairs() {
    static const std::vector<Pair> kPairs{
        {"zh-Hans", "UTF-8"},
        {"zh-Hans", "UTF-16LE"},
        {"zh-Hans", "UTF-16BE"},
        {"zh-Hans", "GBK"},
        {"zh-Hans", "GB18030"},
        {"zh-Hant", "UTF-8"},
        {"zh-Hant", "UTF-16LE"},
        {"zh-Hant", "Big5"},
        {"zh-Hans+en", "UTF-8"},
        {"zh-Hans+en", "GBK"},
        {"zh-Hans+en", "UTF-16LE"},
        {"zh-Hant+en", "UTF-8"},
        {"zh-Hant+en", "Big5"},
        {"en", "UTF-8"},
        {"en", "windows-1252"},
        {"fr", "UTF-8"},
        {"fr", "windows-1252"},
        {"de", "UTF-8"},
        {"de", "windows-1252"},
        {"da", "UTF-8"},
        {"da", "windows-1252"},
        {"pl", "windows-1250"},
        {"cs", "windows-1250"},
        {"ru", "windows-1251"},
        {"ru", "KOI8-R"},
        {"ru", "UTF-8"},
        {"el", "windows-1253"},
        {"tr", "windows-1254"},
        {"he", "windows-1255"},
        {"ar", "windows-1256"},
        {"ja", "Shift_JIS"},
        {"ja", "EUC-JP"},
        {"ja", "UTF-8"},
        {"ko", "EUC-KR"},
        {"ko", "UTF-8"},
    };
    return kPairs;
}

inline const std::vector<int>& CueCounts() {
    static const std::vector<int> kCounts{1, 2, 3, 5, 10, 30, 100};
    return kCounts;
}

// The sample lines of `path` (language TAB line), by language.
class Lines {
public:
    explicit Lines(const std::string& path) {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t tab = line.find('\t');
            if (line.empty() || line[0] == '#' || tab == std::string::npos) {
                continue;
            }
            entries_.push_back({line.substr(0, tab), line.substr(tab + 1)});
        }
    }

    bool Empty() const { return entries_.empty(); }

    const std::string& Pick(const std::string& language, std::mt19937& random) const {
        std::vector<const std::string*> of;
        for (const auto& [lang, text] : entries_) {
            if (lang == language) {
                of.push_back(&text);
            }
        }
        return *of[std::uniform_int_distribution<std::size_t>(0, of.size() - 1)(random)];
    }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

struct File {
    std::string name;  // "zh-Hant/Big5/3#2"
    int cues = 0;
    std::string text;  // UTF-8
    std::string bytes;
};

inline std::string TimeCode(int ms) {
    char code[32];
    std::snprintf(code, sizeof code, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return code;
}

// An SRT of `cues` cues in the pair's language(s), as UTF-8.
inline std::string MakeSrt(const Lines& lines, const Pair& pair, int cues, std::mt19937& random) {
    std::vector<std::string> languages;
    std::stringstream split(pair.languages);
    for (std::string language; std::getline(split, language, '+');) {
        languages.push_back(language);
    }
    const std::string eol = random() % 2 ? "\r\n" : "\n";
    std::string text;
    int at = 1000 + static_cast<int>(random() % 5000);
    for (int cue = 1; cue <= cues; ++cue) {
        const int length = 800 + static_cast<int>(random() % 3000);
        text += std::to_string(cue) + eol + TimeCode(at) + " --> " + TimeCode(at + length) + eol;
        for (const std::string& language : languages) {
            text += lines.Pick(language, random) + eol;
        }
        text += eol;
        at += length + static_cast<int>(random() % 2000);
    }
    return text;
}

// Every pair at every size, `perSize` files each.
inline std::vector<File> MakeFiles(const Lines& lines, int perSize, std::uint32_t seed) {
    std::vector<File> files;
    std::mt19937 random(seed);
    for (const Pair& pair : Pairs()) {
        for (const int cues : CueCounts()) {
            for (int n = 0; n < perSize; ++n) {
                File file;
                file.name = std::string(pair.languages) + "/" + pair.charset + "/" +
                            std::to_string(cues) + "#" + std::to_string(n);
                file.cues = cues;
                file.text = MakeSrt(lines, pair, cues, random);
                file.bytes = ConvertCharset(pair.charset, "UTF-8", file.text);
                files.push_back(std::move(file));
            }
        }
    }
    return files;
}

}  // namespace orvane::textio::table
