// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's own toolbar icons (the drawing tools bring theirs), drawn in
// code on the grid of view/tools/tool_icon.h.

#include <QIcon>

#include "view/tools/tool_icon.h"

// The icon of a toolbar command; a null icon for other ids.
QIcon CommandIcon(int id);
// The application's icon.
QIcon AppIcon();
