// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the map view paints the picture from: its rows as they are shown
// (no copy of the pixels), its halved copies for the scales below actual
// size, built a slice at a time between events, and below actual size the
// whole picture as shown when that is small (at most a few screens), which
// repaints and scrolls copy from. Every copy is made anew for another
// picture, another generation of its pixels, window colour or checkerboard
// setting.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "image/view_render.h"

class CImage;

class CPictureCache : public QObject {
    Q_OBJECT
public:
    // `picture` gives the picture shown now, null without one.
    explicit CPictureCache(std::function<const CImage*()> picture);
    ~CPictureCache() override;

    // Drops every copy and makes the rows of the picture shown now.
    void Rebuild(uint32_t background, bool checkerboard);
    // Rebuilds unless the copies were made from the picture's present
    // pixels with this window colour and checkerboard; below actual size
    // begins the halved copies.
    void Prepare(uint32_t background, bool checkerboard, ZoomScale zoom);
    bool HasRows() const { return m_rows != nullptr; }
    bool PyramidReady() const { return m_pyramid && m_pyramid->Ready(); }
    // The picture at `zoom` over client rectangle `covered` (inside the
    // picture shown `total` large, scrolled by `scroll`) into `out` (the
    // pixel at covered's top-left, `stride` pixels a row).
    void Render(ZoomScale zoom, QPoint scroll, QSize total, const QRect& covered, uint32_t* out,
                qsizetype stride, uint32_t background);

signals:
    // The halved copies are complete.
    void pyramidBuilt();

private:
    // Whether the rows and copies were made from the pixels `image` holds now.
    bool IsFor(const CImage* image) const;
    void StartPyramid();
    void PyramidStep();

    std::function<const CImage*()> m_picture;
    std::unique_ptr<CPictureRows> m_rows;
    std::unique_ptr<CPicturePyramid> m_pyramid;
    QTimer m_pyramidTimer;
    uint32_t m_background = 0;  // the window colour they were made with
    // The generation of the pixel store they were made from.
    uint64_t m_generation = 0;
    std::vector<uint32_t> m_shown;
    ZoomScale m_shownZoom;
    bool m_shownFromPyramid = false;
};
