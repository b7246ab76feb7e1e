// SPDX-License-Identifier: GPL-3.0-or-later
// How long a media file plays, as libmediainfo measures it.
#pragma once

#include <filesystem>
#include <string>

namespace orvane::media {

// The playing time of the file at `path` in seconds, to the millisecond
// (12.345), or 0 when it cannot be told: a missing file, something that is not
// an ordinary file (a folder, a pipe), a file the library does not recognise,
// one without a video or audio stream, or one whose length it cannot find.
// Never throws. Opens one library handle, released before returning.
double GetMediaDuration(const std::filesystem::path& path);

// What one look at a media file tells: its playing time as GetMediaDuration
// gives it, and the frame rate of its first video stream as text, exact
// where the library knows the fraction ("24000/1001", "25") and as it
// writes it otherwise ("23.976"); empty without a video or a nominal rate.
struct MediaFacts {
    double seconds = 0;
    std::string frameRate;
};
MediaFacts ReadMediaFacts(const std::filesystem::path& path);

}  // namespace orvane::media
