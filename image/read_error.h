// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a picture read is bounded and how it fails. Every reader takes its
// limits from a ReadLimits value and, when it cannot give a picture, says why
// in a Status (io/status.h) whose words the editor (Japanese) or the
// command-line tool (English) shows.

#include <cstdint>
#include <string>

#include "io/status.h"

namespace ze {

// What one read may cost. The defaults are the bounds of every build.
struct ReadLimits {
    // The largest picture, in pixels, in every format (16384 x 16384).
    int64_t maxPixels = int64_t{16384} * 16384;
    // JPEG: the most the decoder's own buffers may take for one picture (the
    // coefficients of a progressive or multi-scan file, the colour
    // quantizer's copy of the picture), the picture's own pixels not counted.
    // A baseline colour picture of 16384 x 16384 needs 768 MiB.
    uint64_t jpegMemory = uint64_t{1} << 30;
    // JPEG: the most scans a file may have (real files have a few dozen).
    int jpegScans = 500;
    // WebP and AVIF: the most the decoder's own buffers and the reader's
    // copy of the decoded rows may take for one picture, the picture's own
    // pixels not counted. A lossless WebP of 16384 x 16384 needs 1 GiB.
    uint64_t decoderMemory = uint64_t{1} << 30;
};

// The status of a failed read of a picture of image type `type`, the
// format's name kept for the words that name it.
Status PictureStatus(StatusCode code, int type);
// The status for a name whose extension is no picture type the editor opens
// (or saves: `code` kNotSavable); its words list the extensions that are.
Status UnknownPictureType(StatusCode code = StatusCode::kUnknownType);

}  // namespace ze
