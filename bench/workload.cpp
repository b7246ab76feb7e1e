// SPDX-License-Identifier: GPL-3.0-or-later
#include "workload.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace orvane::bench {
namespace {
namespace fs = std::filesystem;

constexpr std::array<std::string_view, 16> kChinese = {
    "你好，好久不见。",       "我们得马上离开这里！",   "这不是你的错。",
    "他昨天晚上去哪儿了？",   "别担心，一切都会好的。", "你确定要这么做吗？",
    "那是我见过最美的风景。", "快点，火车要开了！",     "我一直在等你的电话。",
    "谢谢你救了我的命。",     "这件事我们以后再说。",   "把门关上，外面太冷了。",
    "你听见那个声音了吗？",   "明天早上七点见。",       "我不知道该说什么。",
    "欢迎来到北京。"};

constexpr std::array<std::string_view, 16> kEnglish = {
    "Hello, long time no see.",
    "We have to get out of here now!",
    "This is not your fault.",
    "Where did he go last night?",
    "Don't worry, everything will be fine.",
    "Are you sure you want to do this?",
    "That's the most beautiful view I've ever seen.",
    "Hurry up, the train is leaving!",
    "I've been waiting for your call.",
    "Thank you for saving my life.",
    "We'll talk about this later.",
    "Close the door, it's cold outside.",
    "Did you hear that sound?",
    "See you at seven tomorrow morning.",
    "I don't know what to say.",
    "Welcome to Beijing."};

// A small generator with the same sequence on every platform.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint32_t state_;
};

void AppendSrtTime(std::string& out, std::uint64_t ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u,%03u", static_cast<unsigned>(ms / 3600000),
                  static_cast<unsigned>(ms / 60000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                  static_cast<unsigned>(ms % 1000));
    out += buffer;
}

void AppendAssTime(std::string& out, std::uint64_t ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u.%02u", static_cast<unsigned>(ms / 3600000),
                  static_cast<unsigned>(ms / 60000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                  static_cast<unsigned>(ms % 1000 / 10));
    out += buffer;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

std::string MakeSrt(std::size_t cues, std::uint32_t seed) {
    Rng rng(seed);
    std::string out = "\xEF\xBB\xBF";
    out.reserve(cues * 90);
    std::uint64_t start = 3000;
    for (std::size_t i = 0; i < cues; ++i) {
        const std::uint64_t end = start + 1200 + rng.Below(2500);
        out += std::to_string(i + 1);
        out += "\r\n";
        AppendSrtTime(out, start);
        out += " --> ";
        AppendSrtTime(out, end);
        out += "\r\n";
        const std::string_view zh = kChinese[rng.Below(kChinese.size())];
        const std::string_view en = kEnglish[rng.Below(kEnglish.size())];
        switch (rng.Below(4)) {
            case 0:  // one line, Chinese
                out += zh;
                out += "\r\n";
                break;
            case 1:  // one line, English
                out += en;
                out += "\r\n";
                break;
            case 2:  // two lines, Chinese first
                out += zh;
                out += "\r\n";
                out += en;
                out += "\r\n";
                break;
            default:  // two lines, English first
                out += en;
                out += "\r\n";
                out += zh;
                out += "\r\n";
                break;
        }
        out += "\r\n";
        start = end + 100 + rng.Below(1500);
    }
    return out;
}

std::string MakeAss(std::size_t dialogues, std::uint32_t seed) {
    Rng rng(seed);
    std::string out =
        "\xEF\xBB\xBF[Script Info]\r\n"
        "; generated for benchmarking\r\n"
        "Title: workload\r\n"
        "ScriptType: v4.00+\r\n"
        "PlayResX: 1920\r\n"
        "PlayResY: 1080\r\n"
        "\r\n"
        "[V4+ Styles]\r\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
        "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
        "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"
        "Style: Default,Microsoft YaHei,60,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,"
        "100,100,0,0,1,2,1,2,10,10,20,1\r\n"
        "\r\n"
        "[Events]\r\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n";
    out.reserve(dialogues * 110);
    std::uint64_t start = 3000;
    for (std::size_t i = 0; i < dialogues; ++i) {
        const std::uint64_t end = start + 1200 + rng.Below(2500);
        const bool comment = rng.Below(50) == 0;
        out += comment ? "Comment: 0," : "Dialogue: 0,";
        AppendAssTime(out, start);
        out += ',';
        AppendAssTime(out, end);
        out += ",Default,,0,0,0,,";
        const std::string_view zh = kChinese[rng.Below(kChinese.size())];
        const std::string_view en = kEnglish[rng.Below(kEnglish.size())];
        switch (rng.Below(3)) {
            case 0:
                out += zh;
                break;
            case 1:
                out += en;
                break;
            default:
                out += zh;
                out += "\\N{\\fs14}";
                out += en;
                break;
        }
        out += "\r\n";
        start = end + 100 + rng.Below(1500);
    }
    return out;
}

std::string MakeHugeLineSrt(std::size_t lineBytes) {
    const std::string piece = "Bilingual 双语字幕 text, one line that never ends. ";
    std::string text =
        "\xEF\xBB\xBF"
        "1\r\n00:00:20,000 --> 00:00:25,000\r\n";
    text.reserve(text.size() + lineBytes + piece.size() + 64);
    while (text.size() < lineBytes) {
        text += piece;
    }
    text += "\r\n\r\n2\r\n00:00:30,000 --> 00:00:31,000\r\nEnd\r\n";
    return text;
}

void WriteStandardWorkloads(const fs::path& dir) {
    fs::create_directories(dir / "folder");
    WriteFile(dir / "big.srt", MakeSrt(kBigSrtCues, 1));
    WriteFile(dir / "big.ass", MakeAss(kBigAssDialogues, 2));
    WriteFile(dir / "tiny.srt", MakeSrt(1, 3));
    WriteFile(dir / "huge-line.srt", MakeHugeLineSrt(kHugeLineBytes));
    for (std::size_t i = 1; i <= kFolderFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "ep%03zu.srt", i);
        WriteFile(dir / "folder" / name, MakeSrt(kFolderCues, static_cast<std::uint32_t>(100 + i)));
    }
}

}  // namespace orvane::bench
