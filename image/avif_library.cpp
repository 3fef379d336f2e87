// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/avif_library.h"

#include "image/shared_library.h"

namespace ze {

namespace {

bool FindAll(void* handle, AvifLibrary* l) {
    return FindFunction(handle, "avifDecoderCreate", &l->decoderCreate) &&
           FindFunction(handle, "avifDecoderDestroy", &l->decoderDestroy) &&
           FindFunction(handle, "avifDecoderSetIOMemory", &l->decoderSetIOMemory) &&
           FindFunction(handle, "avifDecoderParse", &l->decoderParse) &&
           FindFunction(handle, "avifDecoderNextImage", &l->decoderNextImage) &&
           FindFunction(handle, "avifRGBImageSetDefaults", &l->rgbImageSetDefaults) &&
           FindFunction(handle, "avifImageYUVToRGB", &l->imageYUVToRGB) &&
           FindFunction(handle, "avifImageCreate", &l->imageCreate) &&
           FindFunction(handle, "avifImageCreateEmpty", &l->imageCreateEmpty) &&
           FindFunction(handle, "avifImageSetViewRect", &l->imageSetViewRect) &&
           FindFunction(handle, "avifImageDestroy", &l->imageDestroy) &&
           FindFunction(handle, "avifImageRGBToYUV", &l->imageRGBToYUV) &&
           FindFunction(handle, "avifEncoderCreate", &l->encoderCreate) &&
           FindFunction(handle, "avifEncoderDestroy", &l->encoderDestroy) &&
           FindFunction(handle, "avifEncoderWrite", &l->encoderWrite) &&
           FindFunction(handle, "avifRWDataFree", &l->rwDataFree) &&
           FindFunction(handle, "avifVersion", &l->version);
}

}  // namespace

const AvifLibrary* Avif() {
    static const AvifLibrary library = OpenSharedLibrary<AvifLibrary>(ZE_AVIF_SONAME, FindAll);
    return library.decoderCreate ? &library : nullptr;
}

}  // namespace ze
