// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// AVIF files through libavif: still pictures, with alpha, and the first
// frame of a sequence. Written as one still picture, lossy at a quality or
// lossless.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CAvifImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads an AVIF file from an open stream. 1 on success; 0 on failure
    // (readFailure says why).
    int ReadStream(std::FILE* file) override;
    // Writes the picture as saveOptions say: 4:4:4 at their quality (80
    // unless given), or lossless. 1 on success.
    int WriteStream(std::FILE* file) const;
};
