// SPDX-License-Identifier: GPL-3.0-or-later
// PNG from rows as they come. libpng returns its errors by longjmp: each
// function calling into it sets its own return point and keeps only
// trivially destructible locals.

#include <png.h>

#include <csetjmp>
#include <cstdint>

#include "image/row_writer.h"

namespace ze {
namespace {

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

int WriteHeader(png_structp png, png_infop info, std::FILE* file, int width, int height,
                RowForm form, const uint8_t* rgbOfIndex) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_init_io(png, file);
    const int type = form == RowForm::kRgb       ? PNG_COLOR_TYPE_RGB
                     : form == RowForm::kIndexed ? PNG_COLOR_TYPE_PALETTE
                                                 : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (form == RowForm::kIndexed) {
        png_color palette[256];
        for (int i = 0; i < 256; ++i)
            palette[i] = {rgbOfIndex[3 * i], rgbOfIndex[3 * i + 1], rgbOfIndex[3 * i + 2]};
        png_set_PLTE(png, info, palette, 256);
    }
    png_write_info(png, info);
    return 1;
}

int WriteRow(png_structp png, const uint8_t* row) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_write_row(png, row);
    return 1;
}

int WriteEnd(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_write_end(png, info);
    return 1;
}

class CPngRowWriter : public RowWriter {
public:
    explicit CPngRowWriter(std::FILE* file) : m_file(file) {
        m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
        if (m_png) m_info = png_create_info_struct(m_png);
    }
    ~CPngRowWriter() override {
        if (m_png) png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr);
    }
    CPngRowWriter(const CPngRowWriter&) = delete;
    CPngRowWriter& operator=(const CPngRowWriter&) = delete;

    void Begin(int width, int height, RowForm form, const uint8_t* rgbOfIndex) override {
        m_started = true;
        m_height = height;
        m_ok = m_info && width > 0 && height > 0 && (form == RowForm::kRgb || rgbOfIndex) &&
               WriteHeader(m_png, m_info, m_file, width, height, form, rgbOfIndex);
    }
    void Put(const uint8_t* row) override {
        m_ok = m_ok && m_y < m_height && WriteRow(m_png, row);
        ++m_y;
    }
    bool Started() const override { return m_started; }
    bool Refused() const override { return m_started && !m_ok; }
    bool Finish() override { return m_ok && m_y == m_height && WriteEnd(m_png, m_info); }

private:
    std::FILE* m_file;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    int m_height = 0, m_y = 0;
    bool m_started = false, m_ok = false;
};

}  // namespace

std::unique_ptr<RowWriter> MakePngRowWriter(std::FILE* file) {
    return std::make_unique<CPngRowWriter>(file);
}

}  // namespace ze
