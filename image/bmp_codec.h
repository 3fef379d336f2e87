// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// BMP files.
//
// Reading normalises every accepted file to the block with the 40-byte
// header: core (12-byte) and version 4/5 headers are converted, 16-bit
// pictures and 32-bit pictures with unusual bit fields become depth 24,
// run-length encoded pictures are decoded, and top-down rows are stored
// bottom-up. OS/2 2.x headers and embedded JPEG or PNG data are refused.
// Bytes missing from a short file read as zero.

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image_impl.h"

class CBmpImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    // 1 loaded, 0 failed (then the implementation holds no pixels).
    int Read(const std::string& name) override;
    // 1 written, 0 failed (then the file at `name` is left as it was).
    int Write(const std::string& name) override;

    // Reads a BMP file held in memory, as Read does with a file.
    int ReadMemory(const uint8_t* data, size_t size);
};
