// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG from rows as they come. libjpeg returns its errors through the error
// manager's exit, here a longjmp: each function calling into it sets its
// own return point and keeps only trivially destructible locals.

#include "image/row_writer.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ze {
namespace {

struct ErrorJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}
void OnMessage(j_common_ptr, int) {}

// Red, green, blue rows in; the library's defaults at `quality`, as the
// JPEG writer sets them.
int StartCompress(j_compress_ptr cinfo, ErrorJump* err, std::FILE* file, int width, int height,
                  int quality) {
    if (setjmp(err->jump)) return 0;
    jpeg_create_compress(cinfo);
    jpeg_stdio_dest(cinfo, file);
    cinfo->image_width = static_cast<JDIMENSION>(width);
    cinfo->image_height = static_cast<JDIMENSION>(height);
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    return 1;
}

bool WriteRow(j_compress_ptr cinfo, ErrorJump* err, uint8_t* row) {
    if (setjmp(err->jump)) return false;
    JSAMPROW rows[1] = {row};
    return jpeg_write_scanlines(cinfo, rows, 1) == 1;
}

int FinishCompress(j_compress_ptr cinfo, ErrorJump* err) {
    if (setjmp(err->jump)) return 0;
    jpeg_finish_compress(cinfo);
    return 1;
}

class CJpegRowWriter : public RowWriter {
public:
    CJpegRowWriter(std::FILE* file, int quality) : m_file(file), m_quality(quality) {
        jpeg_std_error(&m_err.pub);
        m_err.pub.error_exit = OnError;
        m_err.pub.emit_message = OnMessage;
        m_cinfo.err = &m_err.pub;
    }
    ~CJpegRowWriter() override { jpeg_destroy_compress(&m_cinfo); }
    CJpegRowWriter(const CJpegRowWriter&) = delete;
    CJpegRowWriter& operator=(const CJpegRowWriter&) = delete;

    void Begin(int width, int height, RowForm form, const uint8_t* rgbOfIndex) override {
        m_started = true;
        m_width = static_cast<size_t>(width);
        m_height = height;
        if (form != RowForm::kRgb) {
            if (!rgbOfIndex) return;
            std::memcpy(m_table, rgbOfIndex, sizeof m_table);
            m_indices = true;
        }
        if (m_indices) m_row.resize(3 * m_width);
        m_ok = width > 0 && height > 0 &&
               StartCompress(&m_cinfo, &m_err, m_file, width, height, m_quality);
    }
    void Put(const uint8_t* row) override {
        if (!m_ok || m_y++ >= m_height) {
            m_ok = false;
            return;
        }
        // One byte a pixel goes in as the colours it stands for, as the
        // whole-picture writer's planes are made of them.
        if (m_indices) {
            uint8_t* out = m_row.data();
            for (size_t x = 0; x < m_width; ++x, out += 3)
                std::memcpy(out, m_table + 3 * size_t{row[x]}, 3);
        }
        // The library reads the rows it is given and never writes them.
        m_ok = WriteRow(&m_cinfo, &m_err, m_indices ? m_row.data() : const_cast<uint8_t*>(row));
    }
    bool Started() const override { return m_started; }
    bool Refused() const override { return m_started && !m_ok; }
    bool Finish() override { return m_ok && m_y == m_height && FinishCompress(&m_cinfo, &m_err); }

private:
    std::FILE* m_file;
    int m_quality;
    ErrorJump m_err{};
    jpeg_compress_struct m_cinfo{};
    uint8_t m_table[256 * 3] = {};
    std::vector<uint8_t> m_row;  // a row of one byte a pixel as triples
    size_t m_width = 0;
    int m_height = 0, m_y = 0;
    bool m_started = false, m_ok = false, m_indices = false;
};

}  // namespace

std::unique_ptr<RowWriter> MakeJpegRowWriter(std::FILE* file, int quality) {
    return std::make_unique<CJpegRowWriter>(file, quality);
}

}  // namespace ze
