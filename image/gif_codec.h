// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF files: the reader takes the first image of a GIF87a or GIF89a file into
// an 8-bit palette picture; the writer stores a picture as a single-image
// GIF with a 256-entry colour table: the palette of one of depth 8 or less,
// the 256 colours libimagequant picks (dithered) for a deeper one.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CGifImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;

    // 0 when the file cannot be opened or is not a GIF (the picture held
    // before stays), or when its image cannot be made (empty or over the size
    // bound); 1 otherwise, also when the file holds no image (no picture then)
    // or its pixel data are damaged (the rows decoded before the damage
    // stand, the others are index 0).
    int Read(const std::string& name) override;
    // 1 written; 0 refused (no pixels, too large, colours not reduced), not
    // opened or not fully written, and the target file left as it was. A
    // failure of the file is also said in one English message.
    int Write(const std::string& name) override;

    // Reads a GIF from an open stream, as Read does after opening the file.
    int ReadStream(std::FILE* file) override;

private:
    ze::Status WriteIndexed();
    ze::Status WriteQuantized();
};
