// SPDX-License-Identifier: GPL-3.0-or-later
// The subtitle types the file list takes, as the type selector names them.
#pragma once

#include <QString>

namespace orvane::ui {

// True when `fileName` ends in one of the extensions of `patterns` ("*.srt",
// "*.ass;*.ssa"), in any letter case. A name without a dot has no extension.
bool MatchesFilePatterns(const QString& fileName, const QString& patterns);

}  // namespace orvane::ui
