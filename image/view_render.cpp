// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/view_render.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "image/bgr_rows.h"
#include "image/image.h"
#include "image/render.h"
#include "image/simd_level.h"

namespace {

constexpr uint32_t Argb(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void FillAvx2(uint32_t* out, size_t n, uint32_t value) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
    size_t i = 0;
    for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
    std::fill(out + i, out + n, value);
}

__attribute__((target("avx512f"))) void FillAvx512(uint32_t* out, size_t n, uint32_t value) {
    const __m512i v = _mm512_set1_epi32(static_cast<int>(value));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) _mm512_storeu_si512(out + i, v);
    std::fill(out + i, out + n, value);
}
#endif

// Transparent pixels (alpha 0) become the background colour.
void Opaque(uint32_t* p, int n, uint32_t background) {
    const uint32_t bg = background | 0xff000000u;
    for (int i = 0; i < n; ++i)
        if (!(p[i] >> 24)) p[i] = bg;
}

// The source pixels one view pixel covers and their weights (10 bits, summing
// to kOne): view pixel v spans [v * D, (v + 1) * D) in units of 1/N source pixel.
constexpr uint32_t kWeightBits = 10;
constexpr uint32_t kOne = 1u << kWeightBits;

struct Taps {
    std::vector<int> start;   // first source pixel of each view pixel
    std::vector<int> count;   // how many source pixels
    std::vector<int> offset;  // where its weights start in `weight`
    std::vector<uint32_t> weight;
    int first = 0, last = -1;  // the source pixels all of them use
};

Taps MakeTaps(int64_t v0, int n, int64_t N, int64_t D, int sourceLength) {
    Taps t;
    t.start.resize(static_cast<size_t>(n));
    t.count.resize(static_cast<size_t>(n));
    t.offset.resize(static_cast<size_t>(n));
    t.weight.reserve(static_cast<size_t>(n) * static_cast<size_t>(D / N + 2));
    std::vector<int64_t> overlap;
    for (int i = 0; i < n; ++i) {
        const int64_t a = (v0 + i) * D, b = a + D;
        const int64_t s0 = std::min<int64_t>(a / N, sourceLength - 1);
        const int64_t s1 = std::clamp<int64_t>((b - 1) / N, s0, sourceLength - 1);
        overlap.clear();
        int64_t total = 0;
        for (int64_t s = s0; s <= s1; ++s) {
            const int64_t o = std::max<int64_t>(std::min(b, (s + 1) * N) - std::max(a, s * N), 0);
            overlap.push_back(o);
            total += o;
        }
        if (total == 0) {  // past the picture's end: its last pixel
            overlap.assign(1, 1);
            total = 1;
        }
        const size_t at = t.weight.size();
        uint32_t sum = 0;
        size_t largest = 0;
        for (size_t k = 0; k < overlap.size(); ++k) {
            const auto w = static_cast<uint32_t>((overlap[k] * kOne + total / 2) / total);
            t.weight.push_back(w);
            sum += w;
            if (overlap[k] > overlap[largest]) largest = k;
        }
        t.weight[at + largest] += kOne - sum;  // rounding goes to the largest share
        t.start[static_cast<size_t>(i)] = static_cast<int>(s0);
        t.count[static_cast<size_t>(i)] = static_cast<int>(overlap.size());
        t.offset[static_cast<size_t>(i)] = static_cast<int>(at);
    }
    if (n > 0) {
        t.first = t.start.front();
        t.last = t.start.back() + t.count.back() - 1;
    }
    return t;
}

// A row of source pixels as bytes blue, green, red at `bpp` bytes a pixel,
// starting at pixel Taps::first.
struct SourceRow {
    const uint8_t* p = nullptr;
    int bpp = 4;
};

}  // namespace

namespace {

// The board's colour at picture pixel (x, y).
uint32_t CheckerAt(int x, int y) {
    constexpr int cell = CPictureRows::kCheckerCell;
    return ((x / cell + y / cell) & 1) ? CPictureRows::kCheckerDark : CPictureRows::kCheckerLight;
}

}  // namespace

CPictureRows::CPictureRows(const CImage& image, bool checkerboard) : m_bCheckerboard(checkerboard) {
    if (!image.GetImpl()) return;
    const PixelStore& pixels = image.Pixels();
    if (!pixels.imageBits || pixels.imageWidth <= 0 || pixels.imageHeight <= 0) return;
    m_pixels = &pixels;
    m_generation = pixels.Generation();
    m_nWidth = pixels.imageWidth;
    m_nHeight = pixels.imageHeight;
    if (pixels.imageDepth <= 8) IndexColoursArgb32(image, m_lut);
    m_bTransparent = pixels.imageDepth <= 8 && pixels.transparentIndex >= 0;
    m_matte = Argb(pixels.matte[0], pixels.matte[1], pixels.matte[2]);
}

void CPictureRows::Row(int y, int x0, int n, uint32_t* out) const {
    const int py = m_nHeight - 1 - y;  // rows are kept bottom row first
    ColourRow(py, x0, n, out);
    if (!m_pixels->HasAlpha()) {
        if (m_bCheckerboard && m_bTransparent) CheckerTransparent(y, x0, n, out);
        return;
    }
    // Pixels with alpha are shown laid over the matte colour, or the board.
    const uint8_t* alpha = m_pixels->AlphaRow(py) + x0;
    for (int i = 0; i < n; ++i) {
        const int a = alpha[i];
        if (a == 255) continue;
        const uint32_t c = out[i];
        const uint32_t under = m_bCheckerboard ? CheckerAt(x0 + i, y) : m_matte;
        out[i] = Argb(ze::Over((c >> 16) & 0xff, a, (under >> 16) & 0xff),
                      ze::Over((c >> 8) & 0xff, a, (under >> 8) & 0xff),
                      ze::Over(c & 0xff, a, under & 0xff));
    }
}

void CPictureRows::CheckerTransparent(int y, int x0, int n, uint32_t* out) const {
    for (int i = 0; i < n; ++i)
        if (!(out[i] >> 24)) out[i] = CheckerAt(x0 + i, y);
}

void CPictureRows::ColourRow(int py, int x0, int n, uint32_t* out) const {
    const uint8_t* src = m_pixels->PixelAddress(0, py);
    switch (m_pixels->imageDepth) {
        case 8:
            for (int i = 0; i < n; ++i) out[i] = m_lut[src[x0 + i]];
            return;
        case 24:
            // The row painted next lies below this one in memory, where the
            // processor does not look ahead by itself.
            if (py > 0) {
                const uint8_t* next =
                    m_pixels->PixelAddress(0, py - 1) + static_cast<size_t>(x0) * 3;
                for (size_t k = 0; k < static_cast<size_t>(n) * 3; k += 64)
                    __builtin_prefetch(next + k);
            }
            BgrToArgb(src + static_cast<size_t>(x0) * 3, out, n);
            return;
        case 32:
            src += static_cast<size_t>(x0) * 4;
            for (int i = 0; i < n; ++i, src += 4) out[i] = Argb(src[2], src[1], src[0]);
            return;
        default:
            break;
    }
    if (m_pixels->imageDepth < 8) {
        for (int i = 0; i < n; ++i) out[i] = m_lut[m_pixels->GetPixelIndex(x0 + i, py) & 0xff];
        return;
    }
    for (int i = 0; i < n; ++i) {
        uint8_t r = 0, g = 0, b = 0;
        m_pixels->GetStraightRGB(x0 + i, py, &r, &g, &b);
        out[i] = Argb(r, g, b);
    }
}

void FillPixels(uint32_t* out, size_t n, uint32_t value) {
#if defined(__x86_64__)
    switch (ze::ActiveSimdLevel()) {
        case ze::SimdLevel::kVbmi:
            return FillAvx512(out, n, value);
        case ze::SimdLevel::kAvx2:
            return FillAvx2(out, n, value);
        default:
            break;
    }
#endif
    std::fill(out, out + n, value);
}

// ---------------------------------------------------------------------------
// The pyramid

CPicturePyramid::CPicturePyramid(const CImage& image, uint32_t background, bool checkerboard)
    : m_background(background | 0xff000000u), m_bCheckerboard(checkerboard) {
    const CPictureRows rows(image, checkerboard);
    if (!rows.Valid()) return;
    const PixelStore& pixels = image.Pixels();
    const int64_t own = int64_t{pixels.rowBytes} * pixels.imageHeight;
    // The finest first level whose levels together fit in a third of `own`.
    for (int first = 1; first <= kLastLevel; ++first) {
        int64_t bytes = 0;
        for (int level = first; level <= kLastLevel; ++level) {
            const int64_t w = ((int64_t{rows.Width()} - 1) >> level) + 1;
            const int64_t h = ((int64_t{rows.Height()} - 1) >> level) + 1;
            bytes += w * h * 3;
        }
        if (bytes * 3 <= own) {
            m_nFirst = first;
            break;
        }
    }
    if (m_nFirst > kLastLevel) {
        m_bReady = true;  // nothing is kept: the picture's pixels are averaged
        return;
    }
    for (int level = m_nFirst; level <= kLastLevel; ++level) {
        Level l;
        l.width = ((rows.Width() - 1) >> level) + 1;
        l.height = ((rows.Height() - 1) >> level) + 1;
        l.bgr.resize(static_cast<size_t>(l.width) * static_cast<size_t>(l.height) * 3);
        m_levels.push_back(std::move(l));
    }
    m_sums.assign(static_cast<size_t>(m_levels[0].width) * 3, 0);
}

size_t CPicturePyramid::LevelBytes() const {
    size_t bytes = 0;
    for (const Level& l : m_levels) bytes += l.bgr.size();
    return bytes;
}

const CPicturePyramid::Level* CPicturePyramid::GetLevel(int level) const {
    if (level < m_nFirst || level > kLastLevel || !m_bReady) return nullptr;
    return &m_levels[static_cast<size_t>(level - m_nFirst)];
}

void CPicturePyramid::Halve(const Level& from, Level& to) const {
    for (int y = 0; y < to.height; ++y) {
        const int y0 = 2 * y, y1 = std::min(2 * y + 1, from.height - 1);
        const uint8_t* a = from.bgr.data() + static_cast<size_t>(y0) * from.width * 3;
        const uint8_t* b = from.bgr.data() + static_cast<size_t>(y1) * from.width * 3;
        uint8_t* out = to.bgr.data() + static_cast<size_t>(y) * to.width * 3;
        const int rows = y1 > y0 ? 2 : 1;
        for (int x = 0; x < to.width; ++x) {
            const int x0 = 2 * x, x1 = std::min(2 * x + 1, from.width - 1);
            const int n = rows * (x1 > x0 ? 2 : 1);
            for (int c = 0; c < 3; ++c) {
                int sum = a[x0 * 3 + c] + (rows == 2 ? b[x0 * 3 + c] : 0);
                if (x1 > x0) sum += a[x1 * 3 + c] + (rows == 2 ? b[x1 * 3 + c] : 0);
                out[x * 3 + c] = static_cast<uint8_t>((sum + n / 2) / n);
            }
        }
    }
}

bool CPicturePyramid::Step(const CImage& image, int rows) {
    if (m_bReady) return true;
    const CPictureRows source(image, m_bCheckerboard);
    if (!source.Valid() || m_levels.empty()) return m_bReady = true;
    Level& first = m_levels[0];
    const int shift = m_nFirst, block = 1 << shift;
    const int w = source.Width(), h = source.Height();
    std::vector<uint32_t> line(static_cast<size_t>(w));
    int done = 0;
    while (m_nNextRow < first.height && done < rows) {
        const int y0 = m_nNextRow << shift, y1 = std::min(y0 + block, h);
        std::fill(m_sums.begin(), m_sums.end(), 0u);
        for (int y = y0; y < y1; ++y, ++done) {
            source.Row(y, 0, w, line.data());
            Opaque(line.data(), w, m_background);
            for (int x = 0; x < w; ++x) {
                uint32_t* s = &m_sums[static_cast<size_t>(x >> shift) * 3];
                const uint32_t p = line[static_cast<size_t>(x)];
                s[0] += p & 0xff;
                s[1] += (p >> 8) & 0xff;
                s[2] += (p >> 16) & 0xff;
            }
        }
        uint8_t* out = first.bgr.data() + static_cast<size_t>(m_nNextRow) * first.width * 3;
        for (int x = 0; x < first.width; ++x) {
            const uint32_t n =
                static_cast<uint32_t>((std::min(x * block + block, w) - x * block) * (y1 - y0));
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = static_cast<uint8_t>((m_sums[x * 3 + c] + n / 2) / n);
        }
        ++m_nNextRow;
    }
    if (m_nNextRow < first.height) return false;
    for (size_t i = 1; i < m_levels.size(); ++i) Halve(m_levels[i - 1], m_levels[i]);
    m_sums = {};
    return m_bReady = true;
}

// ---------------------------------------------------------------------------
// Painting a block

namespace {

// Each pixel of `line` `k` times across `width` view pixels, the first
// one `skip` times fewer.
void Repeat(const uint32_t* line, int k, int skip, int width, uint32_t* out) {
    int i = std::min(width, k - skip);
    std::fill(out, out + i, *line++);
    if (k == 2) {
#if defined(__x86_64__)
        // Four pixels doubled a step (SSE2, which every x86-64 has): at
        // double size this is most of putting a scroll's strip together.
        for (; i + 8 <= width; i += 8, line += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi32(v, v));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 4), _mm_unpackhi_epi32(v, v));
        }
#endif
        for (; i + 2 <= width; i += 2, ++line) out[i] = out[i + 1] = *line;
    } else {
        for (; i + k <= width; i += k, ++line) std::fill(out + i, out + i + k, *line);
    }
    if (i < width) std::fill(out + i, out + width, *line);  // a part of the next pixel
}

void RenderEnlarged(const CPictureRows& rows, ZoomScale zoom, int64_t viewX, int64_t viewY,
                    int width, int height, uint32_t* out, int stride, uint32_t background) {
    const auto column = [&](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(zoom.ToPicture(v), 0, rows.Width() - 1));
    };
    const int x0 = column(viewX), x1 = column(viewX + width - 1);
    const bool actual = zoom.num == zoom.den;
    // A whole factor repeats each pixel; any other scale looks each view
    // pixel's column up, as does a block reaching past the picture.
    const bool whole =
        !actual && zoom.den == 1 && viewX >= 0 && viewX + width <= int64_t{zoom.num} * rows.Width();
    std::vector<uint32_t> line(actual ? 0 : static_cast<size_t>(x1 - x0 + 1));
    std::vector<int> map(actual || whole ? 0 : static_cast<size_t>(width));
    for (size_t i = 0; i < map.size(); ++i) map[i] = column(viewX + int64_t(i)) - x0;
    int previous = -1;
    for (int r = 0; r < height; ++r) {
        uint32_t* o = out + static_cast<ptrdiff_t>(r) * stride;
        const int y =
            static_cast<int>(std::clamp<int64_t>(zoom.ToPicture(viewY + r), 0, rows.Height() - 1));
        if (y == previous) {  // the same picture row as the one above
            std::memcpy(o, o - stride, static_cast<size_t>(width) * 4);
            continue;
        }
        previous = y;
        if (actual) {
            rows.Row(y, x0, width, o);
        } else {
            rows.Row(y, x0, x1 - x0 + 1, line.data());
            if (whole)
                Repeat(line.data(), zoom.num, static_cast<int>(viewX % zoom.num), width, o);
            else
                for (int i = 0; i < width; ++i) o[i] = line[static_cast<size_t>(map[size_t(i)])];
        }
        if (rows.Transparent()) Opaque(o, width, background);
    }
}

// The coarsest pyramid level still at least as fine as the screen.
int LevelFor(ZoomScale zoom) {
    int level = 0;
    while (level < CPicturePyramid::kLastLevel &&
           (int64_t{zoom.num} << (level + 1)) <= int64_t{zoom.den})
        ++level;
    return level;
}

// Source rows (a pyramid level's, else the picture's own) weighed across
// once each, kept in a ring while the view rows below still use them.
class FilteredRows {
public:
    FilteredRows(const CPictureRows& rows, const CPicturePyramid::Level* kept, const Taps& across,
                 const Taps& down, uint32_t background)
        : m_rows(rows), m_kept(kept), m_across(across), m_background(background) {
        m_width = across.start.size();
        m_ringRows =
            down.count.empty()
                ? 1
                : static_cast<size_t>(*std::max_element(down.count.begin(), down.count.end()) + 1);
        m_sums.resize(m_ringRows * m_width * 3);
        m_sourceRow.assign(m_ringRows, -1);
        if (!kept) m_line.resize(static_cast<size_t>(across.last - across.first + 1));
    }

    // Source row sy weighed across: blue, green, red sums for every view pixel.
    const uint32_t* Row(int sy) {
        const size_t slot = static_cast<size_t>(sy) % m_ringRows;
        uint32_t* f = m_sums.data() + slot * m_width * 3;
        if (m_sourceRow[slot] != sy) {
            m_sourceRow[slot] = sy;
            Weigh(Source(sy), f);
        }
        return f;
    }

private:
    SourceRow Source(int sy) {
        if (m_kept)
            return {
                m_kept->bgr.data() + (static_cast<size_t>(sy) * m_kept->width + m_across.first) * 3,
                3};
        const int span = static_cast<int>(m_line.size());
        m_rows.Row(sy, m_across.first, span, m_line.data());
        if (m_rows.Transparent()) Opaque(m_line.data(), span, m_background);
        return {reinterpret_cast<const uint8_t*>(m_line.data()), 4};
    }

    void Weigh(const SourceRow& src, uint32_t* f) const {
        for (size_t k = 0; k < m_width; ++k) {
            const uint8_t* p =
                src.p + static_cast<ptrdiff_t>(m_across.start[k] - m_across.first) * src.bpp;
            const uint32_t* w = m_across.weight.data() + m_across.offset[k];
            uint32_t b = 0, g = 0, r = 0;
            for (int t = 0; t < m_across.count[k]; ++t, p += src.bpp) {
                b += w[t] * p[0];
                g += w[t] * p[1];
                r += w[t] * p[2];
            }
            f[k * 3] = b;
            f[k * 3 + 1] = g;
            f[k * 3 + 2] = r;
        }
    }

    const CPictureRows& m_rows;
    const CPicturePyramid::Level* m_kept;
    const Taps& m_across;
    uint32_t m_background;
    size_t m_width = 0, m_ringRows = 1;
    std::vector<uint32_t> m_line;  // the picture's row, when no level is kept
    std::vector<uint32_t> m_sums;  // m_ringRows rows of m_width * 3 sums
    std::vector<int> m_sourceRow;  // the source row each slot holds
};

// Below actual size: each view pixel the mean by area of the source pixels
// it covers, the rows weighed down from those weighed across.
void RenderReduced(FilteredRows& filtered, const Taps& down, int width, int height, uint32_t* out,
                   int stride) {
    std::vector<uint32_t> sum(static_cast<size_t>(width) * 3);
    constexpr uint32_t kHalf = 1u << (2 * kWeightBits - 1);
    for (int r = 0; r < height; ++r) {
        const size_t k = static_cast<size_t>(r);
        std::fill(sum.begin(), sum.end(), 0u);
        const uint32_t* w = down.weight.data() + down.offset[k];
        for (int t = 0; t < down.count[k]; ++t) {
            const uint32_t* f = filtered.Row(down.start[k] + t);
            for (size_t i = 0; i < sum.size(); ++i) sum[i] += w[t] * f[i];
        }
        uint32_t* o = out + static_cast<ptrdiff_t>(r) * stride;
        for (int i = 0; i < width; ++i) {
            const uint32_t* s = &sum[static_cast<size_t>(i) * 3];
            o[i] = Argb(static_cast<uint8_t>((s[2] + kHalf) >> (2 * kWeightBits)),
                        static_cast<uint8_t>((s[1] + kHalf) >> (2 * kWeightBits)),
                        static_cast<uint8_t>((s[0] + kHalf) >> (2 * kWeightBits)));
        }
    }
}

}  // namespace

void RenderView(const CPictureRows& rows, const CPicturePyramid* pyramid, ZoomScale zoom,
                int64_t viewX, int64_t viewY, int width, int height, uint32_t* out, int stride,
                uint32_t background) {
    if (!rows.Valid() || width <= 0 || height <= 0) return;
    if (zoom.num >= zoom.den) {
        RenderEnlarged(rows, zoom, viewX, viewY, width, height, out, stride, background);
        return;
    }
    int level = LevelFor(zoom);
    const CPicturePyramid::Level* kept = pyramid ? pyramid->GetLevel(level) : nullptr;
    if (!kept) level = 0;
    const int64_t N = int64_t{zoom.num} << level, D = zoom.den;
    if (kept && N == D) {  // a level as it is
        for (int r = 0; r < height; ++r)
            BgrToArgb(
                kept->bgr.data() +
                    (static_cast<size_t>(viewY + r) * kept->width + static_cast<size_t>(viewX)) * 3,
                out + static_cast<ptrdiff_t>(r) * stride, width);
        return;
    }
    const Taps across = MakeTaps(viewX, width, N, D, kept ? kept->width : rows.Width());
    const Taps down = MakeTaps(viewY, height, N, D, kept ? kept->height : rows.Height());
    FilteredRows filtered(rows, kept, across, down, background);
    RenderReduced(filtered, down, width, height, out, stride);
}
