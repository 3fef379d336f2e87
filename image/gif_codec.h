#pragma once
// GIF files.

#include <string>

#include "image/image_impl.h"

class CGifImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;
};
