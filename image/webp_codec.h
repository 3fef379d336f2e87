// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WebP files through libwebp: lossy, lossless, with alpha, and the first
// frame of an animation. Saved lossy at a quality, or lossless.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/image_impl.h"

struct WebPBitstreamFeatures;

class CWebpImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    // Reads a WebP file from an open stream. 1 on success; 0 on failure
    // (readFailure says why).
    int ReadStream(std::FILE* file) override;
    // Writes the picture as saveOptions say: lossy at their quality (80
    // unless given), or lossless. 1 on success.
    int WriteStream(std::FILE* file) const;

private:
    // The steps of ReadStream, each 1 or 0 with readFailure set: the
    // features, checked against the limits; the first frame of an
    // animation; a still picture without alpha, decoded into the store;
    // one with alpha, through a 32-bit copy.
    int ReadFeatures(const std::vector<uint8_t>& bytes, WebPBitstreamFeatures* features);
    int ReadFirstFrame(const std::vector<uint8_t>& bytes, const WebPBitstreamFeatures& features);
    int ReadOpaque(const std::vector<uint8_t>& bytes, const WebPBitstreamFeatures& features);
    int ReadWithAlpha(const std::vector<uint8_t>& bytes, const WebPBitstreamFeatures& features);
    // kTruncated when the file stops before its header says it ends, else kCorrupt.
    int FailDamaged(const std::vector<uint8_t>& bytes);
};
