// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the readers whose libraries decode a whole file held in memory
// into top-down rows (WebP, AVIF): reading the file within a bound, and
// turning the decoded rows into the picture's bottom-up 24-bit rows, with
// alpha laid over the background colour that PNG alpha is laid over.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "image/pixel_store.h"
#include "image/read_error.h"

class CImageImpl;

namespace ze {

// Reads the rest of `file` into `bytes`, for a reader of `picture`: at most
// four bytes a pixel of the largest picture its limits admit and 1 MiB,
// more than any real encoder spends. False, with the failure recorded in
// `picture`, for an empty file (kTruncated at byte 0), a larger one
// (kFileTooLarge), a failed read or no memory, and for a file whose first
// megabyte (or less) `mayBeThisType` rejects (kNotThisType: a large file of
// another kind is not read on).
bool ReadWholeFile(CImageImpl& picture, std::FILE* file, std::vector<uint8_t>* bytes,
                   bool (*mayBeThisType)(const std::vector<uint8_t>& start));

// Room for the picture's width x height 32-bit pixels, not cleared: for a
// decoder that writes them all. Null, with the picture's pixels dropped and
// kOutOfMemory recorded, when the memory cannot be had.
std::unique_ptr<uint8_t[]> AllocateBgra(CImageImpl& picture);

// False, with the failure recorded in `picture`, when decoding a picture of
// `width` x `height` takes `bytesPerPixel` bytes a pixel of working memory
// beyond its own pixels, and `fixedBytes` besides, more than
// ReadLimits::decoderMemory; `refusal` is the code recorded then.
bool AdmitDecoderMemory(CImageImpl& picture, int64_t width, int64_t height, uint64_t bytesPerPixel,
                        uint64_t fixedBytes = 0, StatusCode refusal = StatusCode::kDecodeMemory);

// Writes top-down rows of blue, green, red, alpha (`stride` bytes apart) into
// a 24-bit picture of the same size: the colours as they are, and the alpha
// into the store's alpha plane when some pixel is less than opaque. False,
// with the pixels dropped and kOutOfMemory recorded, when the plane cannot
// be had.
bool KeepBgraRows(CImageImpl& picture, const uint8_t* bgra, size_t stride);

// Swaps the rows of a picture end for end: rows decoded top row first into
// the pixel block come out bottom row first, as the block keeps them.
void FlipRows(CImageImpl& picture);

}  // namespace ze
