// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The EXIF orientation of JPEG files: picked up while the header is read,
// read with libexif, and applied to the decoded pixels so that the picture
// stands as a browser shows it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

class CImageImpl;

// The first APP1 segment that holds EXIF data ("Exif\0\0" and the TIFF
// structure); empty when there is none.
struct ExifCapture {
    std::vector<uint8_t> app1;
};

// Makes the decompressor keep the first EXIF segment in `capture` and skip
// every other APP1 segment, whatever their number and size. Call after
// jpeg_create_decompress and before jpeg_read_header; `capture` must outlive
// the header read (it is held in cinfo->client_data).
void WatchForExif(j_decompress_ptr cinfo, ExifCapture* capture);

// The orientation (1 to 8) that an EXIF segment gives; 1 when it gives none
// or an invalid one.
int ExifOrientation(const std::vector<uint8_t>& app1);

// Turns and mirrors a decoded picture of depth 8 or 24 so that orientation
// `orientation` is undone (2 mirrors left to right, 6 turns a quarter
// clockwise...). 1 and values outside 2..8 leave it as it is. False when the
// turned copy cannot be made; the picture is then unchanged.
bool ApplyExifOrientation(CImageImpl& impl, int orientation);
