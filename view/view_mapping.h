// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the map view shows the picture: every conversion between client
// points (the viewport's pixels) and picture coordinates goes through here.
// The scale's arithmetic is ZoomScale's, shared with the command-line tool.

#include <QPoint>
#include <QPointF>

#include "image/zoom_scale.h"

// A point placed by a click: the client point and the scroll and zoom of
// that moment. It stays on the same spot of the picture whatever scrolls or
// zooms afterwards.
struct PlacedPoint {
    QPoint client;
    QPoint scroll;
    ZoomScale zoom;
    // A point snapped to the grid stands on that grid point exactly, which
    // below actual size no client pixel may map to.
    bool snapped = false;
    QPoint picture;
};

// Picture coordinates to client points and back for one zoom and scroll.
struct AreaMapping {
    ZoomScale zoom;
    QPoint scroll;

    QPointF ToClient(QPointF picture) const {
        const double f = zoom.Factor();
        return QPointF(picture.x() * f - scroll.x(), picture.y() * f - scroll.y());
    }
    // A length in picture pixels as client pixels.
    double ToClientLength(double picture) const { return picture * zoom.Factor(); }
    // The first client pixel of a picture pixel (its top-left corner).
    QPoint ToClientPixel(QPoint picture) const;
    // The picture pixel under a client point.
    QPoint ToPicture(QPoint client) const;
    // The exact picture point at a client pixel's corner, for hit tests.
    QPointF ToPictureF(QPoint client) const {
        return QPointF((double(client.x()) + scroll.x()) * zoom.den / zoom.num,
                       (double(client.y()) + scroll.y()) * zoom.den / zoom.num);
    }

    PlacedPoint Place(QPoint client) const { return {client, scroll, zoom, false, {}}; }
    // Where a placed point shows now: to the pixel at the zoom it was placed
    // at, else through its picture pixel.
    QPoint ToClient(const PlacedPoint& p) const;
    // The picture pixel a placed point stands on.
    static QPoint ToPicture(const PlacedPoint& p) {
        return p.snapped ? p.picture : AreaMapping{p.zoom, p.scroll}.ToPicture(p.client);
    }
};
