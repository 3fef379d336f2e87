// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// convert without the whole picture in memory, where the formats allow: a
// JPEG, a PNG of one pass without alpha or a BMP stored as it is read goes
// into a PNG, a JPEG or a 24-bit BMP row by row as it is decoded, but not a
// JPEG into a JPEG (read at 128 colours) nor a BMP into a BMP (which keeps
// its source's header). A BMP keeps its bottom row first, so its rows are
// written at their places in the file. The file is the same bytes as the
// whole-picture path writes. WebP, AVIF and GIF are read and written whole.

#include <string>

#include "image/save_options.h"

namespace cli {

// Writes `out` from `in` row by row when the pair allows it; true when the
// target holds the new picture. False, with the target as it was, when the
// pair or the picture does not allow it or anything failed: the caller then
// takes the whole-picture path, which reads again and says why it fails.
bool ConvertRowByRow(const std::string& in, int inType, const std::string& out, int outType,
                     const ze::SaveOptions& options);

}  // namespace cli
