// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/imagequant_library.h"

#include "image/shared_library.h"

namespace ze {

namespace {

bool FindAll(void* handle, ImagequantLibrary* l) {
    return FindFunction(handle, "liq_attr_create", &l->attrCreate) &&
           FindFunction(handle, "liq_attr_destroy", &l->attrDestroy) &&
           FindFunction(handle, "liq_set_max_colors", &l->setMaxColors) &&
           FindFunction(handle, "liq_image_create_rgba", &l->imageCreateRgba) &&
           FindFunction(handle, "liq_image_destroy", &l->imageDestroy) &&
           FindFunction(handle, "liq_image_quantize", &l->imageQuantize) &&
           FindFunction(handle, "liq_result_destroy", &l->resultDestroy) &&
           FindFunction(handle, "liq_set_dithering_level", &l->setDitheringLevel) &&
           FindFunction(handle, "liq_write_remapped_image", &l->writeRemappedImage) &&
           FindFunction(handle, "liq_get_palette", &l->getPalette);
}

}  // namespace

const ImagequantLibrary* Imagequant() {
    static const ImagequantLibrary library =
        OpenSharedLibrary<ImagequantLibrary>(ZE_IMAGEQUANT_SONAME, FindAll);
    return library.attrCreate ? &library : nullptr;
}

}  // namespace ze
