// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/opening.h"

#include <QDir>

namespace orvane::ui {

QString HeadCaption(const OpeningClip& clip) {
    return QDir::toNativeSeparators(clip.path) + QStringLiteral("  /时长") + clip.durationText +
           QStringLiteral("秒");
}

QString OpeningRefusal(media::OpeningVerdict verdict) {
    switch (verdict) {
        case media::OpeningVerdict::kTooLong:
            return QStringLiteral("片头时间太长，超过120秒限制，请更换！");
        case media::OpeningVerdict::kUnreadable:
            // A clip whose length cannot be read would otherwise be a cut of 0 s.
            return QStringLiteral("无法读取片头视频的时长，请更换！");
        case media::OpeningVerdict::kAccepted:
            break;
    }
    return {};
}

}  // namespace orvane::ui
