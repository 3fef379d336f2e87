// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many tiles the decoder opens for an AVIF file: each image of a grid
// is decoded from its own tiles, one decoder a tile, and a tile may be
// referred to many times. Read from the file's item references alone, before
// the library sees it. Any bytes are accepted.

#include <cstddef>
#include <cstdint>

// The tiles that the file's grids refer to (the "dimg" references of its
// "iref" box, the colour and the alpha grid together); 0 for a file without
// a grid or not read as one.
uint64_t AvifGridTiles(const uint8_t* data, size_t size);
