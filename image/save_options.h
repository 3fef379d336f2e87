// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a picture is encoded when it is saved: the choices the Save As dialog
// and the command line offer, passed down to the writer of the format.

namespace ze {

struct SaveOptions {
    // 1..100; 0 for the format's own default (JPEG 30, WebP and AVIF 80).
    int quality = 0;
    // WebP and AVIF: every pixel kept exactly; quality is then not used.
    bool lossless = false;
};

constexpr int kJpegDefaultQuality = 30;
constexpr int kLossyDefaultQuality = 80;

// The quality a writer uses: `options.quality` when it is 1..100, else
// `fallback`.
constexpr int QualityOr(const SaveOptions& options, int fallback) {
    return options.quality >= 1 && options.quality <= 100 ? options.quality : fallback;
}

}  // namespace ze
