// SPDX-License-Identifier: GPL-3.0-or-later
// The copies the view paints the picture from.

#include "view/picture_cache.h"

#include <algorithm>
#include <utility>

#include "image/image.h"

namespace {

// How many pixels of the picture the pyramid takes in at the start, and in
// each slice after that (a few milliseconds).
constexpr int64_t kPyramidPixelsAtOnce = int64_t{1} << 22;
constexpr int64_t kPyramidPixelsASlice = int64_t{1} << 20;
// The most pixels of the picture as shown below actual size that are kept.
constexpr int64_t kShownPixelsKept = int64_t{1} << 22;

int PyramidRows(const CImage& image, int64_t pixels) {
    return static_cast<int>(
        std::clamp<int64_t>(pixels / std::max(image.GetWidth(), 1), 1, 1 << 20));
}

}  // namespace

CPictureCache::CPictureCache(std::function<const CImage*()> picture)
    : m_picture(std::move(picture)) {
    m_pyramidTimer.setInterval(0);
    connect(&m_pyramidTimer, &QTimer::timeout, this, &CPictureCache::PyramidStep);
}

CPictureCache::~CPictureCache() = default;

void CPictureCache::Rebuild(uint32_t background, bool checkerboard) {
    m_pyramidTimer.stop();
    m_shown = {};
    m_rows.reset();
    m_pyramid.reset();
    const CImage* image = m_picture();
    m_generation = image ? image->Pixels().Generation() : 0;
    m_background = background | 0xff000000u;
    if (image) m_rows = std::make_unique<CPictureRows>(*image, checkerboard);
}

bool CPictureCache::IsFor(const CImage* image) const {
    return image && m_rows && m_rows->Generation() == image->Pixels().Generation() &&
           m_generation == image->Pixels().Generation();
}

void CPictureCache::Prepare(uint32_t background, bool checkerboard, ZoomScale zoom) {
    const CImage* image = m_picture();
    if (!IsFor(image) || m_rows->Width() != image->GetWidth() ||
        m_rows->Height() != image->GetHeight() || m_rows->Checkerboard() != checkerboard ||
        m_background != (background | 0xff000000u))
        Rebuild(background, checkerboard);
    // The halved copies are made the first time the picture is shown below
    // actual size: a picture only ever seen at 100 % or more needs none.
    if (zoom.num < zoom.den) StartPyramid();
}

void CPictureCache::StartPyramid() {
    const CImage* image = m_picture();
    if (m_pyramid || !IsFor(image)) return;
    m_pyramid = std::make_unique<CPicturePyramid>(*image, m_background, m_rows->Checkerboard());
    // A small picture is halved at once; a large one a slice at a time
    // between events, so that the window answers meanwhile.
    if (!m_pyramid->Step(*image, PyramidRows(*image, kPyramidPixelsAtOnce))) m_pyramidTimer.start();
}

void CPictureCache::PyramidStep() {
    const CImage* image = m_picture();
    if (!IsFor(image) || !m_pyramid) {
        m_pyramidTimer.stop();
        return;
    }
    if (!m_pyramid->Step(*image, PyramidRows(*image, kPyramidPixelsASlice))) return;
    m_pyramidTimer.stop();
    emit pyramidBuilt();
}

void CPictureCache::Render(ZoomScale zoom, QPoint scroll, QSize total, const QRect& covered,
                           uint32_t* out, qsizetype stride, uint32_t background) {
    // Small enough to keep as shown: made once, then copied.
    const bool keep =
        zoom.num < zoom.den && int64_t{total.width()} * total.height() <= kShownPixelsKept;
    if (!keep) {
        m_shown = {};
        RenderView(*m_rows, m_pyramid.get(), zoom, int64_t{covered.left()} + scroll.x(),
                   int64_t{covered.top()} + scroll.y(), covered.width(), covered.height(), out,
                   static_cast<int>(stride), background);
        return;
    }
    if (m_shown.empty() || !(m_shownZoom == zoom) || m_shownFromPyramid != PyramidReady()) {
        m_shown.assign(static_cast<size_t>(total.width()) * static_cast<size_t>(total.height()), 0);
        m_shownZoom = zoom;
        m_shownFromPyramid = PyramidReady();
        RenderView(*m_rows, m_pyramid.get(), zoom, 0, 0, total.width(), total.height(),
                   m_shown.data(), total.width(), background);
    }
    for (int y = 0; y < covered.height(); ++y) {
        const uint32_t* from =
            m_shown.data() +
            static_cast<ptrdiff_t>(covered.top() + y + scroll.y()) * total.width() +
            covered.left() + scroll.x();
        std::copy(from, from + covered.width(), out + static_cast<ptrdiff_t>(y) * stride);
    }
}
