// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns a picture into 32-bit ARGB pixels for display.

#include <cstdint>
#include <vector>

class CImage;

// The colour of each index of a picture of depth 8 or less, as RenderArgb32
// gives it: the palette's, or grey levels without one; alpha 0 for the
// transparent index.
void IndexColoursArgb32(const CImage& image, uint32_t (&lut)[256]);

// Renders the whole picture, rows top to bottom, each pixel 0xAARRGGBB.
// Pixels whose index is the transparent index get alpha 0, all others 255.
// Empty when the picture has no pixels.
std::vector<uint32_t> RenderArgb32(const CImage& image);

// Renders into caller-owned memory of `stride` pixels a row (at least the
// picture width) and the picture's height in rows. Answers false without pixels.
bool RenderArgb32(const CImage& image, uint32_t* out, int stride);
