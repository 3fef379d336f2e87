#pragma once
// The status-bar readout: picture coordinates and colour under the mouse.
// Shared by the map view and the command-line tool.

#include <string>

class CImage;

// The readout for the mouse at client point (clientX, clientY) of a view
// scrolled to (scrollX, scrollY) and showing the picture at `zoom` (1 or 2).
//
// - No picture (null, or without pixels): an empty string; the caller leaves
//   the status bar as it is.
// - Over the picture: "X座標 = X Y座標 = Y " with the position divided by the
//   zoom, halves rounded away from zero, followed by "  RGB(r, g, b)" when
//   the pixel's colour reads.
// - Anywhere else (beyond the picture's right or bottom edge, left of or
//   above it, or outside the view's window when `inWindow` is false): " ".
std::string FormatReadout(const CImage* image, int clientX, int clientY, int scrollX, int scrollY,
                          int zoom, bool inWindow = true);

// A non-negative multiple of 0.5 or any real, rounded to the nearest whole
// number with halves going away from zero, as decimal text ("-0" never
// appears: a result of zero is "0").
std::string FormatRoundedHalfAway(double value);
