// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/jpeg_exif.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>

#include "image/image_impl.h"
#include "image/shared_library.h"

namespace {

constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

// One byte of the source; the stdio source never suspends (at the end of the
// data it supplies an end marker).
int NextByte(j_decompress_ptr cinfo) {
    jpeg_source_mgr* src = cinfo->src;
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) return -1;
    --src->bytes_in_buffer;
    return *src->next_input_byte++;
}

// The APP1 marker processor. Runs inside the library's error return point:
// nothing here needs destroying.
boolean ReadApp1(j_decompress_ptr cinfo) {
    auto* capture = static_cast<ExifCapture*>(cinfo->client_data);
    const int high = NextByte(cinfo), low = NextByte(cinfo);
    if (high < 0 || low < 0) return FALSE;
    long length = (high << 8 | low) - 2;
    if (length <= 0) return TRUE;
    // Only the first segment that starts with the EXIF header is kept.
    if (capture && capture->app1.empty() && length >= long(sizeof kExifHeader)) {
        uint8_t head[sizeof kExifHeader];
        for (uint8_t& b : head) {
            const int c = NextByte(cinfo);
            if (c < 0) return FALSE;
            b = static_cast<uint8_t>(c);
        }
        length -= long(sizeof kExifHeader);
        if (std::memcmp(head, kExifHeader, sizeof head) == 0) {
            capture->app1.assign(head, head + sizeof head);
            capture->app1.reserve(sizeof head + static_cast<size_t>(length));
            for (; length > 0; --length) {
                const int c = NextByte(cinfo);
                if (c < 0) return FALSE;
                capture->app1.push_back(static_cast<uint8_t>(c));
            }
            return TRUE;
        }
    }
    (*cinfo->src->skip_input_data)(cinfo, length);
    return TRUE;
}

// libexif, opened when a JPEG first carries an EXIF segment: most pictures
// read in a process have none, and every process would pay for it at start.
struct ExifLibrary {
    decltype(&exif_data_new) dataNew = nullptr;
    decltype(&exif_data_unref) dataUnref = nullptr;
    decltype(&exif_data_unset_option) dataUnsetOption = nullptr;
    decltype(&exif_data_load_data) dataLoadData = nullptr;
    decltype(&exif_content_get_entry) contentGetEntry = nullptr;
    decltype(&exif_data_get_byte_order) dataGetByteOrder = nullptr;
    decltype(&exif_get_short) getShort = nullptr;
};

bool FindAll(void* handle, ExifLibrary* l) {
    return ze::FindFunction(handle, "exif_data_new", &l->dataNew) &&
           ze::FindFunction(handle, "exif_data_unref", &l->dataUnref) &&
           ze::FindFunction(handle, "exif_data_unset_option", &l->dataUnsetOption) &&
           ze::FindFunction(handle, "exif_data_load_data", &l->dataLoadData) &&
           ze::FindFunction(handle, "exif_content_get_entry", &l->contentGetEntry) &&
           ze::FindFunction(handle, "exif_data_get_byte_order", &l->dataGetByteOrder) &&
           ze::FindFunction(handle, "exif_get_short", &l->getShort);
}

// The library's functions, or null when it cannot be opened. Opened once;
// safe from any thread.
const ExifLibrary* Exif() {
    static const ExifLibrary library = ze::OpenSharedLibrary<ExifLibrary>(ZE_EXIF_SONAME, FindAll);
    return library.dataNew ? &library : nullptr;
}

// The library is open before any data is made.
struct ExifDataUnref {
    void operator()(ExifData* data) const { Exif()->dataUnref(data); }
};

}  // namespace

void WatchForExif(j_decompress_ptr cinfo, ExifCapture* capture) {
    cinfo->client_data = capture;
    jpeg_set_marker_processor(cinfo, JPEG_APP0 + 1, ReadApp1);
}

int ExifOrientation(const std::vector<uint8_t>& app1) {
    if (app1.size() <= sizeof kExifHeader) return 1;
    // Without the library the picture is shown as stored (the package
    // depends on it; only a damaged installation lacks it).
    const ExifLibrary* exif = Exif();
    if (!exif) return 1;
    std::unique_ptr<ExifData, ExifDataUnref> data(exif->dataNew());
    if (!data) return 1;
    // Read the tags as they stand: no repairs, no defaults added.
    exif->dataUnsetOption(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif->dataLoadData(data.get(), app1.data(), static_cast<unsigned int>(app1.size()));
    ExifEntry* entry = exif->contentGetEntry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data ||
        entry->size < 2)
        return 1;
    const int value = exif->getShort(entry->data, exif->dataGetByteOrder(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
}

bool ApplyExifOrientation(CImageImpl& codec, int orientation) {
    if (orientation < 2 || orientation > 8) return true;
    PixelStore& impl = codec.Pixels();
    const int depth = impl.imageDepth;
    if ((depth != 8 && depth != 24) || !impl.imageBits) return false;
    const int64_t w = impl.imageWidth, h = impl.imageHeight;
    const bool across = orientation >= 5;  // rows become columns

    // The source pixel of target pixel (x, y), both counted from the top
    // left: sx = x0 + x * xx + y * xy, sy = y0 + x * yx + y * yy.
    struct Map {
        int xx, xy, yx, yy;
        bool flipX, flipY;  // x0 = w - 1, y0 = h - 1
    };
    static constexpr Map kMaps[9] = {
        {},
        {},                          // 0 unused, 1 as it is
        {-1, 0, 0, 1, true, false},  // 2 mirrored left to right
        {-1, 0, 0, -1, true, true},  // 3 half a turn
        {1, 0, 0, -1, false, true},  // 4 mirrored top to bottom
        {0, 1, 1, 0, false, false},  // 5 transposed
        {0, 1, -1, 0, false, true},  // 6 a quarter clockwise
        {0, -1, -1, 0, true, true},  // 7 transversed
        {0, -1, 1, 0, true, false},  // 8 a quarter counter-clockwise
    };
    const Map& m = kMaps[orientation];

    PixelStore turned;
    turned.Create(static_cast<int>(across ? h : w), static_cast<int>(across ? w : h), depth, -1,
                  codec.readLimits.maxPixels);
    if (!turned.imageBits) return false;

    // Rows are stored bottom row first: top row sy lies at memory row h-1-sy.
    const int64_t bpp = depth / 8, stride = impl.rowBytes;
    auto offset = [&](int64_t sx, int64_t sy) { return (h - 1 - sy) * stride + sx * bpp; };
    const int64_t x0 = m.flipX ? w - 1 : 0, y0 = m.flipY ? h - 1 : 0;
    const int64_t stepX = m.xx * bpp - m.yx * stride;  // one target pixel right
    const int64_t stepY = m.xy * bpp - m.yy * stride;  // one target row down
    const int tw = turned.imageWidth, th = turned.imageHeight;
    const uint8_t* bits = impl.imageBits;
    for (int y = 0; y < th; ++y) {
        const uint8_t* src = bits + offset(x0, y0) + y * stepY;
        uint8_t* out = turned.PixelAddress(0, th - 1 - y);
        if (bpp == 1) {
            for (int x = 0; x < tw; ++x, src += stepX) out[x] = *src;
        } else {
            for (int x = 0; x < tw; ++x, src += stepX, out += 3)
                out[0] = src[0], out[1] = src[1], out[2] = src[2];
        }
    }

    if (impl.imagePalette && !turned.SetPalette(std::move(impl.imagePalette))) {
        impl.imagePalette = std::move(turned.imagePalette);
        return false;
    }
    turned.colorType = impl.colorType;
    turned.transparentIndex = impl.transparentIndex;
    turned.lossyLoad = impl.lossyLoad;
    impl = std::move(turned);
    return true;
}
