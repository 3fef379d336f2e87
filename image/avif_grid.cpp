// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/avif_grid.h"

#include <cstring>

namespace {

struct Span {
    const uint8_t* data;
    size_t size;
};

uint32_t Be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

uint64_t Be64(const uint8_t* p) {
    return uint64_t{Be32(p)} << 32 | Be32(p + 4);
}

// The body of the first box of `type` among the boxes of `in`; false when
// there is none, or a box before it does not fit.
bool FindBox(Span in, const char* type, Span* body) {
    size_t at = 0;
    while (in.size - at >= 8) {
        const uint8_t* box = in.data + at;
        uint64_t size = Be32(box);
        size_t header = 8;
        if (size == 1) {
            if (in.size - at < 16) return false;
            size = Be64(box + 8);
            header = 16;
        } else if (size == 0) {
            size = in.size - at;  // to the end
        }
        if (size < header || size > in.size - at) return false;
        if (std::memcmp(box + 4, type, 4) == 0) {
            *body = {box + header, static_cast<size_t>(size) - header};
            return true;
        }
        at += static_cast<size_t>(size);
    }
    return false;
}

// The "dimg" references of an "iref" body (version and flags first): the
// item IDs each refers to, summed.
uint64_t CountTileReferences(Span iref) {
    if (iref.size < 4) return 0;
    const size_t idBytes = iref.data[0] == 0 ? 2 : 4;
    uint64_t tiles = 0;
    Span refs{iref.data + 4, iref.size - 4};
    size_t at = 0;
    while (refs.size - at >= 8) {
        const uint8_t* box = refs.data + at;
        const uint32_t size = Be32(box);
        if (size < 8 || size > refs.size - at) break;
        const size_t countAt = 8 + idBytes;
        if (std::memcmp(box + 4, "dimg", 4) == 0 && size >= countAt + 2) {
            const uint32_t count = uint32_t{box[countAt]} << 8 | box[countAt + 1];
            // What the box holds, whatever count it claims.
            const uint64_t held = (size - countAt - 2) / idBytes;
            tiles += count < held ? count : held;
        }
        at += size;
    }
    return tiles;
}

}  // namespace

uint64_t AvifGridTiles(const uint8_t* data, size_t size) {
    Span meta, iref;
    if (!FindBox({data, size}, "meta", &meta) || meta.size < 4) return 0;
    // A full box: version and flags before its boxes.
    if (!FindBox({meta.data + 4, meta.size - 4}, "iref", &iref)) return 0;
    return CountTileReferences(iref);
}
