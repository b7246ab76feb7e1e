// SPDX-License-Identifier: GPL-3.0-or-later
// A spoken film made at test time: cues with known times, spoken by
// espeak-ng at those times and encoded by ffmpeg. Nothing is stored.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::testing {

struct FixtureCue {
    double start = 0;
    double end = 0;
    std::string text;
};

// True when `program` answers on the command line.
inline bool HaveProgram(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command quietly; true when it succeeded.
inline bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool CanSpeak() {
    return HaveProgram("espeak-ng") && HaveProgram("ffmpeg") && HaveProgram("python3");
}

// About three minutes of dialogue: cues of 1 to 4 s with uneven pauses, so
// that only one offset lays them over their speech.
inline std::vector<FixtureCue> FixtureCues() {
    const char* const kLines[] = {
        "Where did you put the keys to the boat?",
        "Under the blue chair, as always.",
        "We leave at dawn.",
        "Nobody told me about the storm coming in from the west tonight.",
        "Then listen now.",
        "I have been waiting here for nearly an hour.",
        "Sorry.",
        "The train was late again, and the station was full of people.",
        "Did you bring the map?",
        "Of course I brought the map, it is in my coat.",
        "Good.",
        "Let us go before the light fades over the hills.",
    };
    std::vector<FixtureCue> cues;
    double at = 2.0;
    for (int i = 0; at < 175.0; ++i) {
        const std::string text = kLines[i % 12];
        // Longer lines get longer cues; pauses vary between 0.6 and 3.4 s.
        const double length = 0.4 + 0.06 * static_cast<double>(text.size());
        cues.push_back({at, at + length, text});
        at += length + 0.6 + 0.7 * static_cast<double>((i * 7) % 5);
    }
    return cues;
}

inline std::string SrtTime(double seconds) {
    const long ms = std::lround(seconds * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld,%03ld", ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

// The cues as SRT, every time moved by `shift` seconds; cues moved before
// zero are left out.
inline std::string SrtText(const std::vector<FixtureCue>& cues, double shift) {
    std::string text;
    int number = 0;
    for (const FixtureCue& cue : cues) {
        if (cue.start + shift < 0) {
            continue;  // moved before the film begins: no time can say it
        }
        text += std::to_string(++number) + "\n" + SrtTime(cue.start + shift) + " --> " +
                SrtTime(cue.end + shift) + "\n" + cue.text + "\n\n";
    }
    return text;
}

// Cues at times that have nothing to do with the fixture's speech.
inline std::string UnrelatedSrt() {
    std::vector<FixtureCue> cues;
    double at = 3.0;
    for (int i = 0; at < 170; ++i) {
        const double length = 1.0 + 0.5 * ((i * 5) % 4);
        cues.push_back({at, at + length, "Something else entirely."});
        at += length + 0.4 + 1.3 * ((i * 3) % 7);
    }
    return SrtText(cues, 0);
}

// Speaks `srt` into `out` (its extension picks the container), encoded as
// `encode` says ("-c:a aac"); `noise` adds pink noise that many dB below the
// speech. Returns false when a tool failed.
inline bool MakeSpokenFilm(const std::filesystem::path& srt, const std::filesystem::path& out,
                           const std::string& encode, const std::string& noise = "") {
    const std::filesystem::path wav = out.string() + ".wav";
    const bool spoken =
        RunQuietly(std::string("python3 \"") + ORVANE_SPEAK_CUES + "\" \"" + srt.string() +
                   "\" \"" + wav.string() + "\"" + (noise.empty() ? "" : " --noise " + noise));
    const bool encoded = spoken && RunQuietly("ffmpeg -nostdin -y -i \"" + wav.string() + "\" " +
                                              encode + " \"" + out.string() + "\"");
    std::error_code ignored;
    std::filesystem::remove(wav, ignored);
    return encoded;
}

}  // namespace orvane::testing
