// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The status-bar readout: picture coordinates and colour under the mouse.
// Shared by the map view and the command-line tool.

#include <string>

#include "image/zoom_scale.h"

class CImage;

// The readout for the mouse at client point (clientX, clientY) of a view
// scrolled to (scrollX, scrollY) and showing the picture at `zoom`.
//
// - No picture (null, or without pixels): an empty string; the caller leaves
//   the status bar as it is.
// - Over the picture: "X座標 = X Y座標 = Y " followed by "  RGB(r, g, b)"
//   when the pixel's colour reads. At actual and double size X and Y are the
//   position divided by the zoom, halves rounded away from zero; at every
//   other scale they are the picture pixel under the point.
// - Anywhere else (beyond the picture's right or bottom edge, left of or
//   above it, or outside the view's window when `inWindow` is false): " ".
std::string FormatReadout(const CImage* image, int clientX, int clientY, int scrollX, int scrollY,
                          ZoomScale zoom, bool inWindow = true);

// A non-negative multiple of 0.5 or any real, rounded to the nearest whole
// number with halves going away from zero, as decimal text ("-0" never
// appears: a result of zero is "0").
std::string FormatRoundedHalfAway(double value);
