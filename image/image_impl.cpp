// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image_impl.h"

#include "io/file_io.h"

void CImageImpl::Create(int width, int height, int depth, int type, dib::Rows rows) {
    m_pixels.Create(width, height, depth, type, readLimits.maxPixels, rows);
}

void CImageImpl::BeginRead(int type) {
    readFailure = ze::PictureStatus(ze::StatusCode::kOk, type);
}

int CImageImpl::FailRead(ze::StatusCode code, int64_t offset) {
    readFailure.code = code;
    readFailure.offset = offset;
    return 0;
}

int CImageImpl::FailTooLarge(int64_t width, int64_t height) {
    readFailure.width = width;
    readFailure.height = height;
    readFailure.limit = readLimits.maxPixels;
    return FailRead(ze::StatusCode::kTooManyPixels);
}

int CImageImpl::CreateForRead(int width, int height, int depth, int type, dib::Rows rows) {
    if (readSizeOnly) {
        if (width <= 0 || height <= 0) return FailRead(ze::StatusCode::kNoPicture);
        if (int64_t{width} * height > readLimits.maxPixels) return FailTooLarge(width, height);
        headerWidth = width;
        headerHeight = height;
        return 0;
    }
    Create(width, height, depth, type, rows);
    // A new picture: no index of the one before is transparent in it.
    m_pixels.transparentIndex = -1;
    if (m_pixels.imageBits) return 1;
    if (width <= 0 || height <= 0) return FailRead(ze::StatusCode::kNoPicture);
    if (int64_t{width} * height > readLimits.maxPixels) return FailTooLarge(width, height);
    return FailRead(ze::StatusCode::kOutOfMemory);
}

int CImageImpl::Read(const std::string&) {
    return 0;
}
int CImageImpl::Write(const std::string&) {
    return 0;
}

int CImageImpl::FailEncode(ze::StatusCode code, int type, int64_t value, int64_t limit) const {
    encodeFailure = ze::PictureStatus(code, type);
    encodeFailure.width = GetWidth();
    encodeFailure.height = GetHeight();
    encodeFailure.value = value;
    encodeFailure.limit = limit;
    return 0;
}

int CImageFileImpl::ReadStream(std::FILE*) {
    return 0;
}

int CImageFileImpl::ReadNamedFile(const std::string& name) {
    if (!name.empty()) fileName = name;
    readFailure = {};
    int openError = 0;
    ze::FilePtr file = ze::OpenForReading(fileName, &openError);
    if (!file) {
        readFailure = ze::StatusFromErrno(openError, ze::Access::kRead);
        return 0;
    }
    return ReadStream(file.get());
}
