// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// libimagequant, opened when a GIF of more than 256 colours is first written:
// with the OpenMP runtime it brings it is a large share of the memory every
// process starting would take, and most never write such a GIF.

#include <libimagequant.h>

namespace ze {

struct ImagequantLibrary {
    decltype(&liq_attr_create) attrCreate = nullptr;
    decltype(&liq_attr_destroy) attrDestroy = nullptr;
    decltype(&liq_set_max_colors) setMaxColors = nullptr;
    decltype(&liq_image_create_rgba) imageCreateRgba = nullptr;
    decltype(&liq_image_destroy) imageDestroy = nullptr;
    decltype(&liq_image_quantize) imageQuantize = nullptr;
    decltype(&liq_result_destroy) resultDestroy = nullptr;
    decltype(&liq_set_dithering_level) setDitheringLevel = nullptr;
    decltype(&liq_write_remapped_image) writeRemappedImage = nullptr;
    decltype(&liq_get_palette) getPalette = nullptr;
};

// The library's functions, or null when it cannot be opened or lacks one of
// them. Opened once, on the first call; safe from any thread.
const ImagequantLibrary* Imagequant();

}  // namespace ze
