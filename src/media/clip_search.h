// SPDX-License-Identifier: GPL-3.0-or-later
// Where a known clip (an opening's sound) lies inside a longer recording:
// the lag at which the two sound most alike, by cross-correlation.
#pragma once

#include <span>

namespace orvane::media {

struct ClipMatch {
    bool found = false;  // the best lag matches well enough to be believed
    double start = 0;    // seconds into the recording where the clip begins
    double end = 0;      // start + the clip's length
    double score = 0;    // normalised correlation at that lag, -1 to 1
};

// Correlations below this are taken for chance.
inline constexpr double kClipMatchFloor = 0.5;

// Searches every lag at which the whole clip fits in the recording; both are
// mono samples at `sampleRate`. An empty or silent clip, or one longer than
// the recording, is not found.
ClipMatch FindClip(std::span<const float> clip, std::span<const float> recording, int sampleRate);

}  // namespace orvane::media
