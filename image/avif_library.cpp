// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/avif_library.h"

#include <dlfcn.h>

namespace ze {

namespace {

template <class Function>
bool Find(void* handle, const char* name, Function* out) {
    *out = reinterpret_cast<Function>(dlsym(handle, name));
    return *out != nullptr;
}

AvifLibrary Open() {
    // The version the program was built against, by its file name; the
    // loader's search path, never the working folder.
    void* handle = dlopen(ZE_AVIF_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {};
    AvifLibrary library;
    const bool found = Find(handle, "avifDecoderCreate", &library.decoderCreate) &&
                       Find(handle, "avifDecoderDestroy", &library.decoderDestroy) &&
                       Find(handle, "avifDecoderSetIOMemory", &library.decoderSetIOMemory) &&
                       Find(handle, "avifDecoderParse", &library.decoderParse) &&
                       Find(handle, "avifDecoderNextImage", &library.decoderNextImage) &&
                       Find(handle, "avifRGBImageSetDefaults", &library.rgbImageSetDefaults) &&
                       Find(handle, "avifImageYUVToRGB", &library.imageYUVToRGB) &&
                       Find(handle, "avifImageCreate", &library.imageCreate) &&
                       Find(handle, "avifImageDestroy", &library.imageDestroy) &&
                       Find(handle, "avifImageRGBToYUV", &library.imageRGBToYUV) &&
                       Find(handle, "avifEncoderCreate", &library.encoderCreate) &&
                       Find(handle, "avifEncoderDestroy", &library.encoderDestroy) &&
                       Find(handle, "avifEncoderWrite", &library.encoderWrite) &&
                       Find(handle, "avifRWDataFree", &library.rwDataFree) &&
                       Find(handle, "avifVersion", &library.version);
    if (!found) {
        dlclose(handle);
        return {};
    }
    // Kept open for the life of the process.
    return library;
}

}  // namespace

const AvifLibrary* Avif() {
    static const AvifLibrary library = Open();
    return library.decoderCreate ? &library : nullptr;
}

}  // namespace ze
