// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/speech.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "kiss_fftr.h"

namespace orvane::media {
namespace {

// Levels in decibels relative to a full-scale square wave.
constexpr double kEnterAboveFloor = 10.0;  // to start speech
constexpr double kStayAboveFloor = 6.0;    // to go on with it
constexpr double kQuietest = -70.0;        // the floor never goes below this
// The floor follows a quieter background quickly (but not to the quietest
// frame of a noise, which would put the noise itself above the floor) and a
// louder one slowly, so a long stretch of speech does not become background.
constexpr double kFloorFall = 0.3;
constexpr double kFloorRisePerFrame = 0.01;
// Below this flatness a frame has the peaks of a voice; noise is near 0.5.
constexpr double kVoicedFlatness = 0.3;
// Speech rises and falls with its syllables; a held tone or chord keeps its
// level. The spread (standard deviation, in decibels) of the last second's
// levels must reach the first to start speech and the second to go on with
// it: steady music stays out, however loud. Each level is that of the last
// 20 ms, which smooths the beating of two notes but not syllables.
constexpr std::size_t kSpreadFrames = 100;
constexpr std::size_t kLevelFrames = 2;
constexpr double kEnterSpread = 2.8;
constexpr double kStaySpread = 2.2;

double EnergyDecibels(std::span<const float> frame) {
    double sum = 0;
    for (const float sample : frame) {
        sum += static_cast<double>(sample) * sample;
    }
    return 10.0 * std::log10(sum / static_cast<double>(frame.size()) + 1e-12);
}

struct FftFreer {
    void operator()(kiss_fftr_cfg config) const { kiss_fftr_free(config); }
};

class EnergyJudge final : public FrameJudge {
public:
    explicit EnergyJudge(int sampleRate)
        : length_(sampleRate / 100),
          fft_(kiss_fftr_alloc(length_, 0, nullptr, nullptr)),
          input_(static_cast<std::size_t>(length_)),
          bins_(static_cast<std::size_t>(length_ / 2 + 1)) {}

    bool IsSpeech(std::span<const float> frame) override {
        const double energy = EnergyDecibels(frame);
        if (!started_) {
            floor_ = std::max(energy, kQuietest);
            started_ = true;
        }
        floor_ =
            energy < floor_ ? floor_ + kFloorFall * (energy - floor_) : floor_ + kFloorRisePerFrame;
        floor_ = std::max(floor_, kQuietest);
        const double above = energy - floor_;
        const double spread = Spread(Level(energy));
        speaking_ = speaking_ ? above >= kStayAboveFloor && spread >= kStaySpread
                              : above >= kEnterAboveFloor && spread >= kEnterSpread &&
                                    Flatness(frame) < kVoicedFlatness;
        return speaking_;
    }

private:
    // The level of the last few frames, this one included, in decibels.
    double Level(double energy) {
        powers_[nextPower_] = std::pow(10.0, std::max(energy, kQuietest) / 10);
        nextPower_ = (nextPower_ + 1) % powers_.size();
        double sum = 0;
        for (const double power : powers_) {
            sum += power;
        }
        return 10.0 * std::log10(sum / static_cast<double>(powers_.size()));
    }

    // The standard deviation of the recent levels, this one included.
    double Spread(double level) {
        levels_[next_] = level;
        next_ = (next_ + 1) % levels_.size();
        held_ = std::min(held_ + 1, levels_.size());
        double sum = 0;
        double squares = 0;
        for (std::size_t i = 0; i < held_; ++i) {
            sum += levels_[i];
            squares += levels_[i] * levels_[i];
        }
        const auto count = static_cast<double>(held_);
        const double mean = sum / count;
        return std::sqrt(std::max(squares / count - mean * mean, 0.0));
    }

    // Geometric over arithmetic mean of the power spectrum, DC left out.
    double Flatness(std::span<const float> frame) {
        if (!fft_ || frame.size() != input_.size()) {
            return 0;
        }
        std::copy(frame.begin(), frame.end(), input_.begin());
        kiss_fftr(fft_.get(), input_.data(), bins_.data());
        double logSum = 0;
        double sum = 0;
        for (std::size_t i = 1; i < bins_.size(); ++i) {
            const double power = static_cast<double>(bins_[i].r) * bins_[i].r +
                                 static_cast<double>(bins_[i].i) * bins_[i].i + 1e-12;
            logSum += std::log(power);
            sum += power;
        }
        const auto count = static_cast<double>(bins_.size() - 1);
        return std::exp(logSum / count) / (sum / count);
    }

    int length_;
    std::unique_ptr<kiss_fftr_state, FftFreer> fft_;
    std::vector<float> input_;
    std::vector<kiss_fft_cpx> bins_;
    std::array<double, kLevelFrames> powers_{};
    std::size_t nextPower_ = 0;
    std::array<double, kSpreadFrames> levels_{};
    std::size_t next_ = 0;
    std::size_t held_ = 0;
    double floor_ = kQuietest;
    bool started_ = false;
    bool speaking_ = false;
};

}  // namespace

std::unique_ptr<FrameJudge> MakeEnergyJudge(int sampleRate) {
    return std::make_unique<EnergyJudge>(sampleRate);
}

SpeechDetector::SpeechDetector(int sampleRate, const SpeechSettings& settings,
                               std::unique_ptr<FrameJudge> judge)
    : frameLength_(std::max(sampleRate / 100, 1)),
      frameSeconds_(static_cast<double>(frameLength_) / std::max(sampleRate, 1)),
      settings_(settings),
      judge_(judge ? std::move(judge) : MakeEnergyJudge(sampleRate)) {
    frame_.reserve(static_cast<std::size_t>(frameLength_));
}

void SpeechDetector::Add(const AudioBlock& block) {
    for (std::size_t i = 0; i < block.samples.size(); ++i) {
        if (frame_.empty()) {
            // Blocks follow one another without gaps; the time is taken
            // from the block so rounding never adds up.
            frameStart_ = block.start + static_cast<double>(i) * frameSeconds_ / frameLength_;
        }
        frame_.push_back(block.samples[i]);
        if (frame_.size() == static_cast<std::size_t>(frameLength_)) {
            JudgeFrame();
            frame_.clear();
        }
    }
}

void SpeechDetector::JudgeFrame() {
    const bool speech = judge_->IsSpeech(frame_);
    const double end = frameStart_ + frameSeconds_;
    if (speech && inSpeech_) {
        spans_.back().end = end;
    } else if (speech) {
        spans_.push_back({frameStart_, end});
    }
    inSpeech_ = speech;
}

std::vector<SpeechSpan> SpeechDetector::Finish() {
    frame_.clear();
    inSpeech_ = false;
    return TidySpans(spans_, settings_);
}

std::vector<SpeechSpan> TidySpans(const std::vector<SpeechSpan>& spans,
                                  const SpeechSettings& settings) {
    std::vector<SpeechSpan> bridged;
    for (const SpeechSpan& span : spans) {
        if (!bridged.empty() && span.start - bridged.back().end < settings.bridgedGap) {
            bridged.back().end = std::max(bridged.back().end, span.end);
        } else {
            bridged.push_back(span);
        }
    }
    std::erase_if(bridged, [&](const SpeechSpan& span) {
        return span.end - span.start < settings.shortestSpan;
    });
    return bridged;
}

}  // namespace orvane::media
