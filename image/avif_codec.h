// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// AVIF files through libavif: still pictures, with alpha, and the first
// frame of a sequence. Read only.

#include <cstdio>
#include <string>

#include "image/image_impl.h"

class CAvifImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;

    // Reads an AVIF file from an open stream. 1 on success; 0 on failure
    // (readFailure says why).
    int ReadStream(std::FILE* file) override;
};
