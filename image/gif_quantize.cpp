// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/gif_quantize.h"

#include <libimagequant.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <new>

#include "image/rgb_rows.h"

namespace ze {
namespace {

struct AttrFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct ImageFree {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultFree {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

EncodeError ErrorOf(liq_error error) {
    return error == LIQ_OUT_OF_MEMORY ? EncodeError::kOutOfMemory : EncodeError::kQuantize;
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

EncodeError QuantizeForGif(const CRgbRows& rows, QuantizedPicture* out) {
    const int width = rows.Width(), height = rows.Height();
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> rgba;
    try {
        rgba.resize(pixels * 4);
        out->indices.resize(pixels);
    } catch (const std::bad_alloc&) {
        return EncodeError::kOutOfMemory;
    }
    for (int r = 0; r < height; ++r)
        rows.GetRgba(height - 1 - r, rgba.data() + size_t{4} * static_cast<size_t>(width) * r);

    std::unique_ptr<liq_attr, AttrFree> attr(liq_attr_create());
    if (!attr) return EncodeError::kOutOfMemory;
    // Clear pixels need an entry of their own: one is kept free for them.
    if (rows.HasAlpha()) liq_set_max_colors(attr.get(), 255);
    std::unique_ptr<liq_image, ImageFree> image(
        liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    if (!image) return EncodeError::kQuantize;
    liq_result* made = nullptr;
    if (const liq_error error = liq_image_quantize(image.get(), attr.get(), &made); error != LIQ_OK)
        return ErrorOf(error);
    std::unique_ptr<liq_result, ResultFree> result(made);
    liq_set_dithering_level(result.get(), 1.0f);
    if (const liq_error error =
            liq_write_remapped_image(result.get(), image.get(), out->indices.data(), pixels);
        error != LIQ_OK)
        return ErrorOf(error);

    const liq_palette* palette = liq_get_palette(result.get());
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
    return EncodeError::kNone;
}

}  // namespace ze
