// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a save does with a picture's transparency in a format that keeps
// less of it: JPEG and BMP keep none, GIF one fully transparent index.

#include <cstdint>
#include <string>

class PixelStore;

namespace ze {

enum class AlphaOnSave {
    kNone,       // the picture is opaque
    kKept,       // the format keeps the alpha exactly
    kFlattened,  // the picture is written laid over its matte colour
};

// What saving `pixels` as image type `code` does with its alpha.
AlphaOnSave AlphaOnSaveAs(const PixelStore& pixels, int code);

// The sentence that says what a flattening save does ("JPEG keeps no alpha:
// transparent pixels are laid over RGB(31, 127, 255)"); `japanese` for the
// editor. Empty unless AlphaOnSaveAs gives kFlattened.
std::string FlattenNote(const PixelStore& pixels, int code, bool japanese);

// Fills `to` with the picture as it is shown, no alpha left: indices and
// palette kept where the alpha goes with the indices (the entries laid
// over the matte colour), grey kept grey, else 24-bit. False when the
// memory cannot be had (`to` without pixels).
bool Flatten(const PixelStore& pixels, PixelStore* to, int64_t maxPixels);

enum class Prepared {
    kAsItIs,    // the format takes the picture as it is
    kPrepared,  // the format takes the copy made
    kNoMemory,  // the copy could not be made
};

// What a save as `code` writes when AlphaOnSaveAs is not kNone: for JPEG,
// BMP and alpha GIF cannot hold, the flattened picture; for GIF with alpha
// of only 0 and 255 by index, the indices with every clear one turned into
// one transparent index. Other pictures with alpha of only 0 and 255 go to
// GIF as they are, and its writer quantizes them with one clear entry.
Prepared PrepareForSave(const PixelStore& pixels, int code, PixelStore* to, int64_t maxPixels);

}  // namespace ze
