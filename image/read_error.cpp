// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/read_error.h"

#include "image/image_types.h"

namespace ze {

Status PictureStatus(StatusCode code, int type) {
    Status status = code;
    const char* name = PictureTypeName(type);
    if (name[0] != '?') status.name = name;
    return status;
}

Status UnknownPictureType(StatusCode code) {
    // "gif, jpg, jpeg, png, bmp, webp, avif": every extension of the table.
    static const std::string extensions = [] {
        std::string list;
        for (const PictureTypeInfo& type : PictureTypes()) {
            for (const char* ext : {type.extension, type.otherExtension})
                if (ext) list += (list.empty() ? "" : ", ") + std::string(ext);
        }
        return list;
    }();
    Status status = code;
    status.name = extensions.c_str();
    return status;
}

}  // namespace ze
