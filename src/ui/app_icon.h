// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

namespace orvane::ui {

// The program's icon, drawn at the common sizes: a subtitle bar over a time
// axis with an arrow to the left. data/orvane.svg is the same picture for
// the desktop's menus.
QIcon MakeAppIcon();

}  // namespace orvane::ui
