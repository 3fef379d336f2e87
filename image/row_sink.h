// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Takes a picture's rows, top row first, as its reader decodes them, in place
// of the pixel store: for callers that pass the rows on and keep none.

#include <cstdint>

namespace ze {

// What a row holds: red, green, blue triples, or one byte a pixel that is
// an index into a palette or a grey level (a picture without a palette).
enum class RowForm { kRgb, kIndexed, kGrey };

class RowSink {
public:
    virtual ~RowSink() = default;
    // Before the first row: the size, the form of the rows, and for rows of
    // one byte a pixel the red, green and blue of each of the 256 values
    // (black past a palette's entries, a grey ramp for grey); null for rows
    // of triples.
    virtual void Begin(int width, int height, RowForm form, const uint8_t* rgbOfIndex) = 0;
    // One row of the width given; the rows a damaged file leaves undecoded
    // come as zeros, as a read into the store leaves them.
    virtual void Put(const uint8_t* row) = 0;
    // Whether Begin was called: the rows went here, not into the store.
    virtual bool Started() const = 0;
    // After Begin: true when the sink cannot take rows of the form given. A
    // reader asked for rows only then stops, as at a failure.
    virtual bool Refused() const { return false; }
};

}  // namespace ze
