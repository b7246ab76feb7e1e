// SPDX-License-Identifier: GPL-3.0-or-later
// The opening clip as the window holds it, and the window's words for it.
#pragma once

#include <QString>

#include "media/opening_clip.h"

namespace orvane::ui {

// The clip whose length cut mode removes; until one is chosen, 12 seconds.
struct OpeningClip {
    QString path;  // empty: none chosen
    QString durationText = QStringLiteral("12.000");
    double seconds = 12.0;
};

// `LHead` before any clip is chosen.
inline const QString kDefaultHeadCaption =
    QStringLiteral("片头视频文件未指定(片头时长不超过120秒，支持文件拖放)  /时长：12秒");
inline const QString kOpeningDialogTitle = QStringLiteral("指定片头文件");
inline const QString kOpeningFilterLabel = QStringLiteral("常见视频");

// The `LHead` caption for a chosen clip: "path  /时长7.5秒".
QString HeadCaption(const OpeningClip& clip);

// Why a clip was refused, for a message box.
QString OpeningRefusal(media::OpeningVerdict verdict);

}  // namespace orvane::ui
