#pragma once
// JPEG files.

#include <string>

#include "image/image_impl.h"

class CJpegImpl : public CImageFileImpl {
public:
    using CImageFileImpl::CImageFileImpl;
    int Read(const std::string& name) override;
    int Write(const std::string& name) override;

    int jpegQuality = 30;
};
