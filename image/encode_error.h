// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why an encoder gave no file. A failed write of the file itself is a
// ze::Status (io/status.h); this says what the encoder could not do
// before a byte was written, in the one sentence that the editor (Japanese)
// or the command-line tool (English) shows.

#include <cstdint>
#include <string>

#include "image/read_error.h"

namespace ze {

enum class EncodeError {
    kNone,
    kNoPixels,      // the picture holds no pixels to write
    kTooLargeSide,  // a side is over what the format holds (`limit` pixels)
    kDepth,         // a depth of `value` bits that the writer does not take
    kOutOfMemory,   // the encoder's memory could not be had
    kNoLibrary,     // the format's library (`value`: its type code) cannot be loaded
    kLibrary,       // the format's library refused or failed the picture
    kQuantize,      // the colours could not be reduced to 256
};

struct EncodeFailure {
    EncodeError error = EncodeError::kNone;
    int type = -1;  // the image type code of the writer
    int64_t width = 0;
    int64_t height = 0;
    int64_t value = 0;
    int64_t limit = 0;

    explicit operator bool() const { return error != EncodeError::kNone; }
};

// English: a short clause ("WebP holds at most 16383 pixels a side");
// Japanese: a sentence with its full stop.
std::string EncodeFailureText(const EncodeFailure& failure, TextLanguage language);

}  // namespace ze
