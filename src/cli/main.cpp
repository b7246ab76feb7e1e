// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-shift: shifts subtitle files from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/runner.h"
#include "cli/signals.h"

#if ORVANE_HAVE_MEDIA
#include "cli/speech_reference.h"
#include "media/opening_clip.h"
#endif

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    orvane::cli::InstallSignalHandlers();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    orvane::cli::RunEnvironment environment;
    environment.progressLine = orvane::cli::StderrIsTerminal();
#if ORVANE_HAVE_MEDIA
    // The window's rule: a clip that cannot be read or is too long is refused.
    environment.measureOpening = [](const std::filesystem::path& video,
                                    std::string& error) -> std::optional<double> {
        const orvane::media::OpeningMeasure measured = orvane::media::MeasureOpening(video);
        if (!measured.ok) {
            error = measured.verdict == orvane::media::OpeningVerdict::kTooLong
                        ? "the opening is longer than 120 seconds"
                        : "cannot read the video's length";
            return std::nullopt;
        }
        return measured.seconds;
    };
    environment.readSpeech = orvane::cli::ReadSpeechReference;
    environment.findOpening = orvane::cli::FindOpeningInEpisode;
#endif
    return orvane::cli::Run(args, std::cout, std::cerr, environment);
}
