// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File > 書き出し: the pane's image and map written as an HTML fragment
// that a browser scales with the picture (see markup/responsive_map.h).

#include "markup/responsive_map.h"

class CMapApp;

// Asks for a file name and writes the form there through the safe writer;
// says in a message box why when there is nothing to write or writing fails.
void ExportMap(CMapApp& app, ResponsiveForm form);

// その他 > 伸縮を確認: asks for a form and a width, and shows the picture and
// its map in that form at that width in the user's browser.
void PreviewScaled(CMapApp& app);

// The widths the preview offers, in per cent of the picture's width.
constexpr int kPreviewWidths[] = {50, 75, 100, 137, 200};
