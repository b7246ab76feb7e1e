// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/clip_search.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "kiss_fftr.h"

namespace orvane::media {
namespace {

struct FftFreer {
    void operator()(kiss_fftr_cfg config) const { kiss_fftr_free(config); }
};
using Fft = std::unique_ptr<kiss_fftr_state, FftFreer>;

// The spectrum of `samples` zero-padded to `size`.
std::vector<kiss_fft_cpx> Spectrum(const Fft& fft, std::span<const float> samples, int size) {
    std::vector<float> padded(static_cast<std::size_t>(size), 0.0F);
    std::copy(samples.begin(), samples.end(), padded.begin());
    std::vector<kiss_fft_cpx> bins(static_cast<std::size_t>(size / 2 + 1));
    kiss_fftr(fft.get(), padded.data(), bins.data());
    return bins;
}

}  // namespace

ClipMatch FindClip(std::span<const float> clip, std::span<const float> recording, int sampleRate) {
    ClipMatch match;
    if (clip.empty() || clip.size() > recording.size() || sampleRate <= 0) {
        return match;
    }
    double clipEnergy = 0;
    for (const float sample : clip) {
        clipEnergy += static_cast<double>(sample) * sample;
    }
    if (clipEnergy <= 0) {
        return match;
    }
    // Linear, not circular, correlation: room for both without wrapping.
    const int size =
        kiss_fftr_next_fast_size_real(static_cast<int>(recording.size() + clip.size()));
    const Fft forward(kiss_fftr_alloc(size, 0, nullptr, nullptr));
    const Fft inverse(kiss_fftr_alloc(size, 1, nullptr, nullptr));
    if (!forward || !inverse) {
        return match;
    }
    std::vector<kiss_fft_cpx> product = Spectrum(forward, recording, size);
    const std::vector<kiss_fft_cpx> clipBins = Spectrum(forward, clip, size);
    for (std::size_t i = 0; i < product.size(); ++i) {
        // recording times the conjugate of the clip: correlation, not convolution
        const kiss_fft_cpx a = product[i];
        const kiss_fft_cpx b = clipBins[i];
        product[i].r = a.r * b.r + a.i * b.i;
        product[i].i = a.i * b.r - a.r * b.i;
    }
    std::vector<float> correlation(static_cast<std::size_t>(size));
    kiss_fftri(inverse.get(), product.data(), correlation.data());

    // Each lag's score is normalised by the energy of the recording under
    // the clip, kept as a running sum.
    double window = 0;
    for (std::size_t i = 0; i < clip.size(); ++i) {
        window += static_cast<double>(recording[i]) * recording[i];
    }
    const std::size_t lags = recording.size() - clip.size() + 1;
    for (std::size_t lag = 0; lag < lags; ++lag) {
        if (lag > 0) {
            const double leaving = recording[lag - 1];
            const double entering = recording[lag + clip.size() - 1];
            window += entering * entering - leaving * leaving;
        }
        if (window > 1e-9 * clipEnergy) {
            // kiss_fftri leaves the result scaled by the transform size.
            const double score =
                correlation[lag] / static_cast<double>(size) / std::sqrt(window * clipEnergy);
            if (score > match.score) {
                match.score = score;
                match.start = static_cast<double>(lag) / sampleRate;
            }
        }
    }
    match.end = match.start + static_cast<double>(clip.size()) / sampleRate;
    match.found = match.score >= kClipMatchFloor;
    return match;
}

}  // namespace orvane::media
