// SPDX-License-Identifier: GPL-3.0-or-later
// The program's look: its icon, name and font.
#pragma once

#include <QIcon>

namespace orvane::ui {

// The program's icon, drawn at the common sizes: a subtitle bar over a time
// axis with an arrow to the left. data/orvane.svg is the same picture for
// the desktop's menus.
QIcon MakeAppIcon();

// The application's name, icon and font: Chinese text in a Simplified
// Chinese face wherever one is installed, before the fallback picks a
// Japanese or Traditional one.
void SetUpApplication();

}  // namespace orvane::ui
