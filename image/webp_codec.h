// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WebP files through libwebp: lossy, lossless, with alpha, and the first
// frame of an animation. Saved lossless.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CWebpImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads a WebP file from an open stream. 1 on success; 0 on failure
    // (readFailure says why).
    int ReadStream(std::FILE* file) override;
    // Writes the picture as a lossless WebP. 1 on success.
    int WriteStream(std::FILE* file) const;
};
