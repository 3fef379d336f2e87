// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNG files through libpng.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CPngImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads a PNG from an open stream positioned at its signature. 1 on
    // success; 0 on failure, when the picture may hold the rows read so far.
    int ReadStream(std::FILE* file) override;
    // Writes the picture as PNG to an open stream. 1 on success.
    int WriteStream(std::FILE* file) const;
};
