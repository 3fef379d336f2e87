#pragma once
// Where the map view shows the picture: every conversion between client
// points (the viewport's pixels) and picture coordinates goes through here.

#include <QPoint>
#include <QPointF>

// A point placed by a click: the client point and the scroll and zoom of
// that moment. It stays on the same spot of the picture whatever scrolls or
// zooms afterwards.
struct PlacedPoint {
    QPoint client;
    QPoint scroll;
    int zoom = 1;
};

// Picture coordinates to client points and back for one zoom and scroll.
struct AreaMapping {
    int zoom = 1;
    QPoint scroll;

    QPointF ToClient(QPointF picture) const {
        return QPointF(picture.x() * zoom - scroll.x(), picture.y() * zoom - scroll.y());
    }
    // The picture pixel under a client point.
    QPoint ToPicture(QPoint client) const;
    // The exact picture point at a client pixel's corner, for hit tests.
    QPointF ToPictureF(QPoint client) const {
        return QPointF((double(client.x()) + scroll.x()) / zoom,
                       (double(client.y()) + scroll.y()) / zoom);
    }

    PlacedPoint Place(QPoint client) const { return {client, scroll, zoom}; }
    // Where a placed point shows now: to the pixel at the zoom it was placed
    // at, else through its picture pixel.
    QPoint ToClient(const PlacedPoint& p) const;
    // The picture pixel a placed point stands on.
    static QPoint ToPicture(const PlacedPoint& p) {
        return AreaMapping{p.zoom, p.scroll}.ToPicture(p.client);
    }
};
