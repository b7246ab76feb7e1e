// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own Chinese texts: the buttons of message boxes (确定, 取消, 是, 否), the
// file dialogs and the context menus of text fields.
#pragma once

namespace orvane::ui {

// Loads Qt's Simplified Chinese translation into the application, from Qt's
// translations folder or from "translations" beside the program (where a
// Windows installation keeps it). Without one, Qt's English texts remain and
// the window's own texts are Chinese all the same. Returns whether one was
// loaded.
bool InstallQtChineseTranslations();

}  // namespace orvane::ui
