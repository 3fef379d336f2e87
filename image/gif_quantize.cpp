// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/gif_quantize.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <new>

#include "image/imagequant_library.h"
#include "image/rgb_rows.h"

namespace ze {
namespace {

// The library is open before any of these is made.
struct AttrFree {
    void operator()(liq_attr* p) const { Imagequant()->attrDestroy(p); }
};
struct ImageFree {
    void operator()(liq_image* p) const { Imagequant()->imageDestroy(p); }
};
struct ResultFree {
    void operator()(liq_result* p) const { Imagequant()->resultDestroy(p); }
};

StatusCode ErrorOf(liq_error error) {
    return error == LIQ_OUT_OF_MEMORY ? ze::StatusCode::kEncodeMemory : ze::StatusCode::kQuantize;
}

// The opaque entry nearest to colour c, other than `clear`.
uint8_t NearestOpaque(const QuantizedPicture& q, const uint8_t* c) {
    int best = q.transparentIndex == 0 ? 1 : 0, bestDistance = INT32_MAX;
    for (int i = 0; i < q.colours; ++i) {
        if (i == q.transparentIndex) continue;
        int distance = 0;
        for (int k = 0; k < 3; ++k)
            distance += (q.palette[3 * i + k] - c[k]) * (q.palette[3 * i + k] - c[k]);
        if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return static_cast<uint8_t>(best);
}

// GIF has one clear entry and no partial alpha: every pixel of alpha 0
// takes the clear entry, every other pixel an opaque one, whatever the
// dithering chose.
void OneClearEntry(const std::vector<uint8_t>& rgba, QuantizedPicture* q) {
    bool anyClear = false;
    for (size_t i = 3; i < rgba.size() && !anyClear; i += 4) anyClear = rgba[i] == 0;
    if (!anyClear) {
        q->transparentIndex = -1;
        return;
    }
    if (q->transparentIndex < 0) {
        // Room was kept for it (at most 255 colours were asked for).
        q->transparentIndex = q->colours++;
    }
    const uint8_t clear = static_cast<uint8_t>(q->transparentIndex);
    for (size_t p = 0; p < q->indices.size(); ++p) {
        const uint8_t* c = &rgba[4 * p];
        if (c[3] == 0)
            q->indices[p] = clear;
        else if (q->indices[p] == clear)
            q->indices[p] = NearestOpaque(*q, c);
    }
}

}  // namespace

StatusCode QuantizeForGif(const CRgbRows& rows, QuantizedPicture* out) {
    const ImagequantLibrary* liq = Imagequant();
    if (!liq) return StatusCode::kNoLibrary;
    const int width = rows.Width(), height = rows.Height();
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> rgba;
    try {
        rgba.resize(pixels * 4);
        out->indices.resize(pixels);
    } catch (const std::bad_alloc&) {
        return ze::StatusCode::kEncodeMemory;
    }
    for (int r = 0; r < height; ++r)
        rows.GetRgba(height - 1 - r, rgba.data() + size_t{4} * static_cast<size_t>(width) * r);

    std::unique_ptr<liq_attr, AttrFree> attr(liq->attrCreate());
    if (!attr) return StatusCode::kEncodeMemory;
    // Clear pixels need an entry of their own: one is kept free for them.
    if (rows.HasAlpha()) liq->setMaxColors(attr.get(), 255);
    std::unique_ptr<liq_image, ImageFree> image(
        liq->imageCreateRgba(attr.get(), rgba.data(), width, height, 0));
    if (!image) return StatusCode::kQuantize;
    liq_result* made = nullptr;
    if (const liq_error error = liq->imageQuantize(image.get(), attr.get(), &made); error != LIQ_OK)
        return ErrorOf(error);
    std::unique_ptr<liq_result, ResultFree> result(made);
    liq->setDitheringLevel(result.get(), 1.0f);
    if (const liq_error error =
            liq->writeRemappedImage(result.get(), image.get(), out->indices.data(), pixels);
        error != LIQ_OK)
        return ErrorOf(error);

    const liq_palette* palette = liq->getPalette(result.get());
    out->width = width;
    out->height = height;
    out->colours = static_cast<int>(palette->count);
    out->transparentIndex = -1;
    for (int i = 0; i < out->colours && i < 256; ++i) {
        const liq_color& c = palette->entries[i];
        out->palette[3 * i] = c.r, out->palette[3 * i + 1] = c.g, out->palette[3 * i + 2] = c.b;
        if (c.a == 0 && out->transparentIndex < 0) out->transparentIndex = i;
    }
    if (rows.HasAlpha()) OneClearEntry(rgba, out);
    return StatusCode::kOk;
}

}  // namespace ze
