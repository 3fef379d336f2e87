// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi-cli ppm [--full-colour] PICTURE: the picture as a binary PPM (P6) on stdout,
// rows top to bottom, each pixel the colour the editor reads for it. A JPEG,
// a PNG of one pass without alpha and a BMP without run-length data go out
// row by row as they are decoded; other pictures are read whole and written
// from their rows. Either way through one bounded buffer.

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "image/image.h"
#include "image/rgb_rows.h"
#include "image/row_sink.h"

namespace {

// The PPM on stdout, a block of whole rows at a time.
class CPpmOut : public ze::RowSink {
public:
    void Begin(int width, int height, ze::RowForm, const uint8_t* rgbOfIndex) override {
        m_started = true;
        m_width = static_cast<size_t>(width);
        if (rgbOfIndex) std::copy(rgbOfIndex, rgbOfIndex + sizeof m_table, m_table);
        m_indices = rgbOfIndex != nullptr;
        const std::string header =
            "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        const size_t rows = std::max<size_t>(1, kBlockBytes / (3 * m_width));
        m_block.resize(header.size() + rows * 3 * m_width);
        std::copy(header.begin(), header.end(), m_block.begin());
        m_used = header.size();
    }
    void Put(const uint8_t* row) override {
        uint8_t* out = Next();
        if (m_indices) {
            for (size_t x = 0; x < m_width; ++x, out += 3) {
                const uint8_t* c = m_table + 3 * size_t{row[x]};
                out[0] = c[0], out[1] = c[1], out[2] = c[2];
            }
        } else {
            std::copy(row, row + 3 * m_width, out);
        }
    }
    bool Started() const override { return m_started; }

    // Room for one row of red, green, blue triples, the block written out
    // first when it is full.
    uint8_t* Next() {
        if (m_used + 3 * m_width > m_block.size()) Flush();
        uint8_t* at = m_block.data() + m_used;
        m_used += 3 * m_width;
        return at;
    }
    // False when stdout did not take every byte.
    bool Finish() {
        Flush();
        return std::fflush(stdout) == 0 && !m_failed;
    }

private:
    // As much as a pipe holds at once: a larger block costs memory, not time.
    static constexpr size_t kBlockBytes = size_t{1} << 16;
    void Flush() {
        if (std::fwrite(m_block.data(), 1, m_used, stdout) != m_used) m_failed = true;
        m_used = 0;
    }

    bool m_started = false, m_indices = false, m_failed = false;
    size_t m_width = 0, m_used = 0;
    uint8_t m_table[256 * 3] = {};
    std::vector<uint8_t> m_block;
};

// A picture read whole: its rows top down as shown, alpha laid over the matte.
void WriteStoredRows(const PixelStore& pixels, CPpmOut* out) {
    const int width = pixels.GetWidth(), height = pixels.GetHeight();
    out->Begin(width, height, ze::RowForm::kRgb, nullptr);
    const CRgbRows rows(pixels);
    for (int y = height - 1; y >= 0; --y) {
        uint8_t* rgb = out->Next();
        rows.Get(y, rgb);
        if (!pixels.HasAlpha()) continue;
        const uint8_t* alpha = pixels.AlphaRow(y);
        for (int x = 0; x < width; ++x, rgb += 3)
            for (int c = 0; c < 3; ++c) rgb[c] = ze::Over(rgb[c], alpha[x], pixels.matte[c]);
    }
}

int Run(const cli::Args& args) {
    const std::optional<cli::PictureArgs> picture = cli::ParsePictureArgs(args);
    if (!picture) return cli::UsageOf("ppm");
    CPpmOut out;
    CImage image;
    image.rowSink = &out;
    if (const int status = cli::LoadPicture(picture->path, picture->fullColour, &image);
        status != cli::kOk)
        return status;
    if (!out.Started()) WriteStoredRows(image.Pixels(), &out);
    if (!out.Finish()) return cli::Fail("cannot write the picture to the standard output");
    return cli::kOk;
}

const cli::Registration registration({"ppm", "[--full-colour] PICTURE", Run});

}  // namespace
