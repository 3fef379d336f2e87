// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Toolbar icons, drawn in code at 16 x 15 pixels and again at twice that
// size so that they stay crisp on high-density screens.

#include <QIcon>

constexpr int kToolIconWidth = 16;
constexpr int kToolIconHeight = 15;

// The icon of a toolbar command; a null icon for other ids.
QIcon CommandIcon(int id);
// The application's icon.
QIcon AppIcon();
