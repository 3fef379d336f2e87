// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writers that encode a file from a reader's rows as they come, keeping none
// of the picture: PNG and JPEG, the same bytes their whole-picture writers
// give the same pixels.

#include <cstdio>
#include <memory>

#include "image/row_sink.h"

namespace ze {

class RowWriter : public RowSink {
public:
    // After the last row: true when every row promised arrived and the file
    // is complete in the stream; false when the writer could not take the
    // rows' form or anything failed, and the stream then holds part of one.
    virtual bool Finish() = 0;
};

// A PNG of 8-bit samples: palette, grey or colour as the rows are.
std::unique_ptr<RowWriter> MakePngRowWriter(std::FILE* file);
// A colour JPEG at `quality` (1..100), as the JPEG writer makes one.
std::unique_ptr<RowWriter> MakeJpegRowWriter(std::FILE* file, int quality);

}  // namespace ze
