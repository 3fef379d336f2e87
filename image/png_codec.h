// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNG files through libpng.

#include <cstdio>
#include <string>

struct png_struct_def;
struct png_info_def;
using png_struct = png_struct_def;
using png_info = png_info_def;

#include "image/image_impl.h"

class CPngImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads a PNG from an open stream positioned at its signature. 1 on
    // success; 0 on failure, when the picture may hold the rows read so far.
    int ReadStream(std::FILE* file) override;
    // Writes the picture as PNG to an open stream, with its alpha. 1 on success.
    int WriteStream(std::FILE* file) const;

private:
    // Reads the eight bytes of the signature: 1 when they are a PNG's, else
    // 0 with the reason recorded.
    int ReadSignature(std::FILE* file);
    // Takes the file's palette into the picture: 1, or 0 with the reason
    // recorded.
    int ReadPalette(png_struct* png, png_info* info);
    // Reads the image data of a file with alpha or transparency: palette
    // indices straight into the rows, other files through a copy of
    // `channels` bytes a pixel split into colours and alpha. 1 read, 0
    // failed with the reason recorded, -1 failed in libpng.
    int ReadWithAlpha(png_struct* png, png_info* info, int channels);
};
