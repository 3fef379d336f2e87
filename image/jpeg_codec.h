// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG files through libjpeg.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CJpegImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads a JPEG from an open stream. 1 on success; 0 on failure, when the
    // picture may hold the rows decoded so far.
    int ReadStream(std::FILE* file) override;
    // Writes the picture as a colour JPEG at saveOptions' quality, else at
    // jpegQuality. 1 on success.
    int WriteStream(std::FILE* file) const;

    int jpegQuality = 30;
};
