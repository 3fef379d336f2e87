// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// convert without the whole picture in memory, where the formats allow: a
// colour JPEG into a 24-bit BMP goes row by row as libjpeg-turbo decodes it,
// each row written at its place in the file (a BMP keeps its bottom row
// first). The file is the same bytes as the whole-picture path writes. The
// encoders of PNG, JPEG, WebP, AVIF and GIF take the picture from the store,
// so those are read whole.

#include <string>

namespace cli {

// Writes `out` from `in` row by row when the pair allows it; true when the
// target holds the new picture. False, with the target as it was, when the
// pair or the picture does not allow it or anything failed: the caller then
// takes the whole-picture path, which reads again and says why it fails.
bool ConvertRowByRow(const std::string& in, int inType, const std::string& out, int outType);

}  // namespace cli
