// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/gif_quantize.h"

#include <libimagequant.h>

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
    return EncodeError::kNone;
}

}  // namespace ze
