// SPDX-License-Identifier: GPL-3.0-or-later
#include "textio/text_judge.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "textio/icu_handles.h"
#include "textio/utf8.h"

namespace orvane::textio {
namespace {

// What each oddity costs. A broken character is near proof of a wrong
// reading; a rare symbol or a rare Han character is only a hint.
constexpr double kBroken = 6;
constexpr double kRareSymbol = 2;
constexpr double kForeignLetter = 2;
constexpr double kMixedWord = 3;
constexpr double kCaseInWord = 1;
constexpr double kRareHan = 1;
constexpr double kOtherLanguage = 2;
constexpr double kAccentedWord = 1;
constexpr double kNoVowelWord = 1;
constexpr double kCapitalWord = 0.5;

constexpr char32_t kFirstHan = 0x4E00;
constexpr char32_t kLastHan = 0x9FFF;

// Every code of a double-byte range, decoded.
void MarkDecoded(std::vector<bool>& common, const char* charset, unsigned firstLead,
                 unsigned lastLead, unsigned firstTrail, unsigned lastTrail) {
    std::string bytes;
    for (unsigned lead = firstLead; lead <= lastLead; ++lead) {
        for (unsigned trail = firstTrail; trail <= lastTrail; ++trail) {
            bytes += static_cast<char>(lead);
            bytes += static_cast<char>(trail);
        }
    }
    const std::string text = ConvertCharset("UTF-8", charset, bytes);
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextCodePoint(text, pos);
        if (cp >= kFirstHan && cp <= kLastHan) {
            common[cp - kFirstHan] = true;
        }
    }
}

// The common characters come from the encodings' own tables, which list
// them first: no list of our own to keep.
std::vector<bool> BuildCommonHan() {
    std::vector<bool> common(kLastHan - kFirstHan + 1, false);
    MarkDecoded(common, "GB18030", 0xB0, 0xD7, 0xA1, 0xFE);    // GB2312 level 1
    MarkDecoded(common, "Big5", 0xA4, 0xC6, 0x40, 0x7E);       // Big5 frequent, both
    MarkDecoded(common, "Big5", 0xA4, 0xC5, 0xA1, 0xFE);       // trail byte ranges
    MarkDecoded(common, "Shift_JIS", 0x88, 0x98, 0x40, 0xFC);  // JIS level 1
    return common;
}

enum class Script {
    None,
    Latin,
    Han,
    Kana,
    Hangul,
    Bopomofo,
    Cyrillic,
    Greek,
    Hebrew,
    Arabic,
    Other
};

// A combining mark takes the script of its letters when it belongs to one
// (the Arabic vowel signs, where windows-1256 puts Western ö and ô).
UScriptCode ScriptCodeOf(char32_t cp) {
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(static_cast<UChar32>(cp), &status);
    if (script != USCRIPT_INHERITED) {
        return script;
    }
    std::array<UScriptCode, 4> scripts{};
    status = U_ZERO_ERROR;
    const int count = uscript_getScriptExtensions(static_cast<UChar32>(cp), scripts.data(),
                                                  static_cast<int32_t>(scripts.size()), &status);
    return U_SUCCESS(status) && count > 0 ? scripts[0] : script;
}

Script ScriptOf(char32_t cp) {
    switch (ScriptCodeOf(cp)) {
        case USCRIPT_COMMON:
        case USCRIPT_INHERITED:
            return Script::None;
        case USCRIPT_LATIN:
            return Script::Latin;
        case USCRIPT_HAN:
            return Script::Han;
        case USCRIPT_HIRAGANA:
        case USCRIPT_KATAKANA:
            return Script::Kana;
        case USCRIPT_HANGUL:
            return Script::Hangul;
        case USCRIPT_BOPOMOFO:
            return Script::Bopomofo;
        case USCRIPT_CYRILLIC:
            return Script::Cyrillic;
        case USCRIPT_GREEK:
            return Script::Greek;
        case USCRIPT_HEBREW:
            return Script::Hebrew;
        case USCRIPT_ARABIC:
            return Script::Arabic;
        default:
            return Script::Other;
    }
}

std::uint32_t SetOf(Script script) {
    switch (script) {
        case Script::Latin:
            return kLatinLetters;
        case Script::Han:
            return kHan;
        case Script::Kana:
            return kKana;
        case Script::Hangul:
            return kHangul;
        case Script::Bopomofo:
            return kBopomofo;
        case Script::Cyrillic:
            return kCyrillic;
        case Script::Greek:
            return kGreek;
        case Script::Hebrew:
            return kHebrew;
        case Script::Arabic:
            return kArabic;
        default:
            return 0;
    }
}

// Characters no reading of a subtitle should give.
bool IsBroken(char32_t cp) {
    if (cp == U'\uFFFD' || (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') ||
        (cp >= 0x7F && cp <= 0x9F) || (cp >= 0xE000 && cp <= 0xF8FF) || cp >= 0xF0000) {
        return true;
    }
    return u_charType(static_cast<UChar32>(cp)) == U_UNASSIGNED;
}

// Symbols that a code page holds but text seldom uses: what the bytes of
// another encoding's letters turn into.
bool IsRareSymbol(char32_t cp) {
    static constexpr std::u32string_view kLatin1 = U"¤¦¨ª¬¯´¸¹º¼½¾§¶µ²³±÷¢¡";
    if (kLatin1.find(cp) != std::u32string_view::npos) {
        return true;
    }
    return (cp >= 0x2500 && cp <= 0x259F) ||  // box drawing, blocks
           (cp >= 0x0180 && cp <= 0x0217) ||  // Latin Extended-B, but for Romanian's ș ț
           (cp >= 0x021C && cp <= 0x02FF) ||  // more of it, IPA, spacing accents
           (cp >= 0x2190 && cp <= 0x21FF) ||  // arrows
           (cp >= 0x2200 && cp <= 0x22FF) ||  // mathematical operators
           (cp >= 0x0400 && cp <= 0x040F) ||  // rare Cyrillic capitals, such as Ѓ Ђ Љ
           (cp >= 0xFF61 && cp <= 0xFF9F) ||  // half-width katakana: GBK bytes read as Shift_JIS
           cp == 0x2116 || cp == 0x2030 || cp == 0x2020 || cp == 0x2021;  // № ‰ † ‡
}

// The accented letters of the languages each code page serves: a text in
// one language keeps to one set, a wrong reading mixes several.
constexpr std::array<std::u32string_view, 20> kLatinLanguages{
    U"àâäçéèêëîïôöùûüÿœæ",  // French
    U"äöüßé",               // German
    U"æøåéó",               // Danish, Norwegian
    U"åäöéšž",              // Swedish, Finnish
    U"áéíóúñüç",            // Spanish, Catalan
    U"áàâãçéêíóôõú",        // Portuguese
    U"àèéìíîòóùú",          // Italian
    U"éèëïöüáóú",           // Dutch
    U"ąćęłńóśźż",           // Polish
    U"áčďéěíňóřšťúůýž",     // Czech
    U"áäčďéíĺľňóôŕšťúýž",   // Slovak
    U"áéíóöőúüű",           // Hungarian
    U"ăâîșşțţ",             // Romanian
    U"čćđšž",               // Croatian, Slovene, Bosnian
    U"çğıöşüâîû",           // Turkish
    U"ąčęėįšųūž",           // Lithuanian
    U"āčēģīķļņšūž",         // Latvian
    U"äöõüšž",              // Estonian
    U"áðéíóúýþæö",          // Icelandic
    U"çë",                  // Albanian
};

// Cyrillic letters beyond Russian's а-я, by language.
constexpr std::array<std::u32string_view, 6> kCyrillicLanguages{
    U"ёъыэ",     // Russian
    U"єіїґ",     // Ukrainian
    U"ёыэіў",    // Belarusian
    U"ђјљњћџ",   // Serbian
    U"ѓѕјљњќџ",  // Macedonian
    U"ъ",        // Bulgarian
};

// Letters of `used` that the best-fitting language of `languages` lacks.
template <std::size_t N>
std::size_t LettersNoLanguageHolds(const std::u32string& used,
                                   const std::array<std::u32string_view, N>& languages) {
    std::size_t fewest = used.size();
    for (const std::u32string_view language : languages) {
        const auto missing =
            static_cast<std::size_t>(std::count_if(used.begin(), used.end(), [&](char32_t cp) {
                return language.find(cp) == std::u32string_view::npos;
            }));
        fewest = std::min(fewest, missing);
    }
    return fewest;
}

void AddOnce(std::u32string& set, char32_t cp) {
    if (set.find(cp) == std::u32string::npos) {
        set += cp;
    }
}

// Scripts that may share a word: Japanese writes Han and kana together,
// Korean Hangul and Han.
bool MayShareAWord(std::uint32_t scripts) {
    const std::uint32_t letters = scripts & ~kLatinLetters;
    const bool hasLatin = (scripts & kLatinLetters) != 0;
    if (letters == 0 || (!hasLatin && (letters & (letters - 1)) == 0)) {
        return true;  // one script
    }
    if (hasLatin) {
        return false;
    }
    return (letters & ~(kHan | kKana)) == 0 || (letters & ~(kHan | kHangul)) == 0;
}

// Above ASCII: punctuation and spaces.
bool SeparatesWords(char32_t cp) {
    const auto type = static_cast<UCharCategory>(u_charType(static_cast<UChar32>(cp)));
    return u_ispunct(static_cast<UChar32>(cp)) || type == U_SPACE_SEPARATOR;
}

class Judge {
public:
    explicit Judge(std::uint32_t expected) : expected_(expected) {}

    void Take(char32_t cp) {
        if (cp < 0x80) {
            TakeAscii(static_cast<char>(cp));
            return;
        }
        if (SeparatesWords(cp)) {
            EndWord();
            return;
        }
        ++looks_.nonAscii;
        TakeNonAscii(cp);
        TakeLetterCase(cp);
    }

    double Cost() const { return looks_.cost; }

    TextLooks Finish() {
        EndWord();
        looks_.cost +=
            kOtherLanguage *
            static_cast<double>(LettersNoLanguageHolds(latinUsed_, kLatinLanguages) +
                                LettersNoLanguageHolds(cyrillicUsed_, kCyrillicLanguages));
        looks_.oddities = looks_.cost - kBroken * static_cast<double>(looks_.broken) -
                          kRareHan * static_cast<double>(looks_.rareHan);
        return looks_;
    }

private:
    // Most of a subtitle file is ASCII: time codes, numbers, Latin words.
    void TakeAscii(char c) {
        const bool lower = c >= 'a' && c <= 'z';
        const bool upper = c >= 'A' && c <= 'Z';
        if ((c >= 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) {
            looks_.cost += kBroken;
            ++looks_.broken;
        }
        if (!lower && !upper && !(c >= '0' && c <= '9')) {
            EndWord();
            return;
        }
        if (lower || upper) {
            ++asciiLetters_;
            wordScripts_ |= kLatinLetters;
        }
        previousLower_ = lower;
    }

    void TakeNonAscii(char32_t cp) {
        if (IsBroken(cp)) {
            looks_.cost += kBroken;
            ++looks_.broken;
            return;
        }
        if (IsRareSymbol(cp)) {
            looks_.cost += kRareSymbol;
            wordScripts_ |= kLatinLetters;  // glued to letters, it makes a mixed word
            return;
        }
        const Script script = ScriptOf(cp);
        const std::uint32_t set = SetOf(script);
        if (script == Script::Other || (set != 0 && (set & expected_) == 0)) {
            looks_.cost += kForeignLetter;
        }
        wordScripts_ |= set;
        if (script == Script::Han) {
            ++looks_.han;
            if (!IsCommonHan(cp)) {
                looks_.cost += kRareHan;
                ++looks_.rareHan;
            }
        }
        const auto lower = static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp)));
        if (script == Script::Latin) {
            ++accentedLetters_;
            AddOnce(latinUsed_, lower);
        } else if (script == Script::Cyrillic) {
            ++cyrillicLetters_;
            lastCyrillic_ = lower;
            cyrillicCapitals_ += lower != cp ? 1u : 0u;
            static constexpr std::u32string_view kVowels = U"аеёиоуыэюяіїєў";
            cyrillicVowels_ += kVowels.find(lower) != std::u32string_view::npos ? 1u : 0u;
            if (lower < 0x430 || lower > 0x44F) {
                AddOnce(cyrillicUsed_, lower);
            }
        }
    }

    // A capital after a small letter inside a word: how Cyrillic read in
    // the wrong one of its code pages looks ("пРИВЕТ").
    void TakeLetterCase(char32_t cp) {
        const bool upper = u_isUUppercase(static_cast<UChar32>(cp)) != 0;
        const bool lower = u_isULowercase(static_cast<UChar32>(cp)) != 0;
        if (upper && previousLower_ && cp >= 0x80) {
            looks_.cost += kCaseInWord;
        }
        previousLower_ = lower;
    }

    void EndWord() {
        if (!MayShareAWord(wordScripts_)) {
            looks_.cost += kMixedWord;
        }
        // Latin words are mostly plain letters: more accented ones than plain
        // is how Cyrillic, Greek or Hebrew read in a Western code page look.
        if (accentedLetters_ >= 2 && accentedLetters_ > asciiLetters_) {
            looks_.cost += kAccentedWord;
        }
        // A Cyrillic word of three letters or more has a vowel, and is
        // seldom written in capitals alone, as GBK read as windows-1251 is.
        if (cyrillicLetters_ >= 3 && cyrillicVowels_ == 0) {
            looks_.cost += kNoVowelWord;
        }
        if (cyrillicLetters_ >= 4 && cyrillicCapitals_ == cyrillicLetters_) {
            looks_.cost += kCapitalWord;
        }
        // Russian has a few words of one letter; any other one letter alone
        // is a byte of another encoding.
        static constexpr std::u32string_view kOneLetterWords = U"авикосуяжб";
        if (cyrillicLetters_ == 1 && asciiLetters_ == 0 &&
            kOneLetterWords.find(lastCyrillic_) == std::u32string_view::npos) {
            looks_.cost += kNoVowelWord;
        }
        cyrillicCapitals_ = 0;
        cyrillicLetters_ = 0;
        cyrillicVowels_ = 0;
        accentedLetters_ = 0;
        asciiLetters_ = 0;
        wordScripts_ = 0;
        previousLower_ = false;
    }

    std::uint32_t expected_;
    TextLooks looks_;
    std::uint32_t wordScripts_ = 0;
    bool previousLower_ = false;
    std::size_t accentedLetters_ = 0;
    std::size_t asciiLetters_ = 0;
    std::size_t cyrillicLetters_ = 0;
    std::size_t cyrillicVowels_ = 0;
    std::size_t cyrillicCapitals_ = 0;
    char32_t lastCyrillic_ = 0;
    std::u32string latinUsed_;
    std::u32string cyrillicUsed_;
};

}  // namespace

bool IsCommonHan(char32_t cp) {
    static const std::vector<bool> kCommon = BuildCommonHan();
    return cp >= kFirstHan && cp <= kLastHan && kCommon[cp - kFirstHan];
}

TextLooks JudgeText(std::string_view utf8, std::uint32_t expected, double enough) {
    Judge judge(expected);
    for (std::size_t pos = 0; pos < utf8.size() && judge.Cost() <= enough;) {
        judge.Take(NextCodePoint(utf8, pos));
    }
    return judge.Finish();
}

}  // namespace orvane::textio
