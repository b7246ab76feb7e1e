// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-vad-compare CUES.srt MEDIA...: Orvane's own speech detector against
// the WebRTC voice detector (libwebrtc-audio-processing 0.3, through its
// AudioProcessing interface), each behind SpeechDetector with the same
// tidying. For every file: how much of the cues' time each finds as speech,
// how much of what it finds lies outside the cues, how many cues it hears
// within 0.3 s of their start, and its time. A file of music alone is given
// with no cues ("-" for CUES.srt).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include <webrtc/modules/audio_processing/include/audio_processing.h>
#include <webrtc/modules/interface/module_common_types.h>

#include "media/audio.h"
#include "media/speech.h"

namespace {
using namespace orvane::media;

struct Cue {
    double start = 0;
    double end = 0;
};

std::vector<Cue> ReadCues(const std::string& path) {
    std::vector<Cue> cues;
    if (path == "-") {
        return cues;
    }
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    static const std::regex kTime(
        R"((\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d))");
    for (std::sregex_iterator it(all.begin(), all.end(), kTime), end; it != end; ++it) {
        const auto seconds = [&](std::size_t first) {
            return std::stod((*it)[first]) * 3600 + std::stod((*it)[first + 1]) * 60 +
                   std::stod((*it)[first + 2]) + std::stod((*it)[first + 3]) / 1000;
        };
        cues.push_back({seconds(1), seconds(5)});
    }
    return cues;
}

class WebRtcJudge final : public FrameJudge {
public:
    explicit WebRtcJudge(int rate) : rate_(rate), apm_(webrtc::AudioProcessing::Create()) {
        apm_->voice_detection()->Enable(true);
        apm_->voice_detection()->set_likelihood(webrtc::VoiceDetection::kLowLikelihood);
        apm_->voice_detection()->set_frame_size_ms(10);
    }

    bool IsSpeech(std::span<const float> frame) override {
        webrtc::AudioFrame audio;
        audio.sample_rate_hz_ = rate_;
        audio.num_channels_ = 1;
        audio.samples_per_channel_ = frame.size();
        for (std::size_t i = 0; i < frame.size(); ++i) {
            audio.data_[i] = static_cast<int16_t>(std::clamp(frame[i], -1.0F, 1.0F) * 32767);
        }
        apm_->ProcessStream(&audio);
        return apm_->voice_detection()->stream_has_voice();
    }

private:
    int rate_;
    std::unique_ptr<webrtc::AudioProcessing> apm_;
};

double Covered(const std::vector<SpeechSpan>& spans, double start, double end) {
    double covered = 0;
    for (const SpeechSpan& span : spans) {
        covered += std::max(0.0, std::min(end, span.end) - std::max(start, span.start));
    }
    return covered;
}

void Report(const char* name, const std::vector<Cue>& cues, const std::vector<SpeechSpan>& spans,
            double seconds) {
    double found = 0;
    for (const SpeechSpan& span : spans) {
        found += span.end - span.start;
    }
    double cueTime = 0;
    double inCues = 0;
    int heardOnTime = 0;
    for (const Cue& cue : cues) {
        cueTime += cue.end - cue.start;
        inCues += Covered(spans, cue.start, cue.end);
        heardOnTime += Covered(spans, cue.start, cue.start + 0.3) > 0.1 ? 1 : 0;
    }
    std::printf("| %s | %.0f%% | %.1f s (%.0f%%) | %d/%zu | %.2f s |\n", name,
                cueTime > 0 ? 100 * inCues / cueTime : 0.0, found - inCues,
                found > 0 ? 100 * (found - inCues) / found : 0.0, heardOnTime, cues.size(),
                seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvane-vad-compare CUES.srt|- MEDIA...\n");
        return 2;
    }
    const std::vector<Cue> cues = ReadCues(argv[1]);
    std::printf(
        "| file | detector | cue time found | found outside cues | cues heard on time | "
        "decode + detection |\n|---|---|---|---|---|---|\n");
    for (int i = 2; i < argc; ++i) {
        for (const bool webrtc : {false, true}) {
            const AudioOptions options;
            SpeechDetector detector(
                options.sampleRate, {},
                webrtc ? std::make_unique<WebRtcJudge>(options.sampleRate) : nullptr);
            const auto begin = std::chrono::steady_clock::now();
            const AudioResult result = DecodeAudio(
                argv[i], options, [&](const AudioBlock& block) { detector.Add(block); });
            const std::vector<SpeechSpan> spans = detector.Finish();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            if (result.error != AudioError::kNone) {
                std::printf("| %s | %s | %s |\n", argv[i], webrtc ? "WebRTC" : "own",
                            AudioErrorText(result, options).c_str());
                continue;
            }
            const std::string name = std::string(argv[i]) + " | " + (webrtc ? "WebRTC" : "own");
            Report(name.c_str(), cues, spans, seconds);
        }
    }
    return 0;
}
