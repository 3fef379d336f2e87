#pragma once
// BMP files.

#include <string>

#include "image/image_impl.h"

class CBmpImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;
};
