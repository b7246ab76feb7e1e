// SPDX-License-Identifier: GPL-3.0-or-later
// Where people speak in a file's sound: each 10 ms frame is judged speech or
// not, and the runs of speech frames become spans of time.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "media/audio.h"

namespace orvane::media {

struct SpeechSpan {
    double start = 0;
    double end = 0;
};

// Judges one 10 ms frame at a time, frames given in order.
class FrameJudge {
public:
    virtual ~FrameJudge() = default;
    virtual bool IsSpeech(std::span<const float> frame) = 0;
};

// Loud against the background noise and not noise-like: the frame's energy
// against a running noise floor, with a higher bar to enter speech than to
// stay in it, and its spectral flatness (noise and breath are flat, voiced
// speech is not) to enter.
std::unique_ptr<FrameJudge> MakeEnergyJudge(int sampleRate);

struct SpeechSettings {
    double shortestSpan = 0.3;  // seconds; shorter runs of speech are dropped
    double bridgedGap = 0.2;    // seconds; shorter pauses inside speech are kept as speech
};

// Collects the sound block by block (as DecodeAudio hands it over) and
// returns the spans of speech at the end.
class SpeechDetector {
public:
    explicit SpeechDetector(int sampleRate, const SpeechSettings& settings = {},
                            std::unique_ptr<FrameJudge> judge = nullptr);
    void Add(const AudioBlock& block);
    std::vector<SpeechSpan> Finish();

private:
    void JudgeFrame();

    int frameLength_;
    double frameSeconds_;
    SpeechSettings settings_;
    std::unique_ptr<FrameJudge> judge_;
    std::vector<float> frame_;
    double frameStart_ = 0;
    bool inSpeech_ = false;
    std::vector<SpeechSpan> spans_;
};

// Bridges the short pauses, then drops the short spans.
std::vector<SpeechSpan> TidySpans(const std::vector<SpeechSpan>& spans,
                                  const SpeechSettings& settings);

}  // namespace orvane::media
