// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map view, a canvas: the document's picture at a zoom from 6.25 % to
// 1600 % (or fitted to the window) inside scroll bars, the coordinate and
// colour readout (sent as statusMessage), the outlines of the pane's areas,
// and the mouse and keys handed to the tool in use (view/tools/). The
// commands on the areas are worked out in markup/area_commands.h and run
// through Scene and Apply; menus and the clipboard are CAreaMenu's. It
// knows nothing of the window around it: what changed goes out through
// signals, dialogs come in through prompts.
//
// A mouse position is a client point: the floor of the position in the
// viewport's logical pixels. A point placed by a click (a corner, a drag's
// start) stays fixed on the picture while the view scrolls or zooms; all
// conversions go through AreaMapping (view_mapping.h).

#include <QAbstractScrollArea>
#include <QRegion>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "image/zoom_scale.h"
#include "view/auto_scroll.h"
#include "view/map_areas.h"
#include "view/picture_cache.h"
#include "view/shown_block.h"
#include "view/tools/select_tool.h"

class CMapDoc;
class CImage;
class CRectTool;
class CPolygonTool;
class COutlineTool;
struct OutlinePixels;

class CMapView : public QAbstractScrollArea, private CToolContext, private CAreaHost {
    Q_OBJECT
public:
    static constexpr int kToolCircle = tool_id::kCircle;
    static constexpr int kToolRect = tool_id::kRect;
    static constexpr int kToolPolygon = tool_id::kPolygon;
    static constexpr int kToolSelect = tool_id::kSelect;
    static constexpr int kToolTrace = tool_id::kTrace;
    // The pixel grid shows from this whole zoom factor up.
    static constexpr int kPixelGridZoom = 8;

    explicit CMapView(QWidget* parent = nullptr);
    ~CMapView() override;

    void SetDocument(CMapDoc* doc);
    CMapDoc* GetDocument() const { return m_pDoc; }
    bool HasPicture() const { return Picture() != nullptr; }

    // A new picture (opened, or its pixels replaced): every copy made from
    // the old one goes and the scroll sizes follow the picture. Tool, zoom
    // (fitted anew when it follows the window), a drag and an open polygon
    // stay as they are.
    virtual void OnInitialUpdate();

    ZoomScale GetZoom() const { return m_zoom; }
    // Whether the zoom follows the window, fitting the whole picture in it.
    bool IsFitZoom() const { return m_bFit; }
    // Shows the picture at `zoom`, the picture point under client point
    // `anchor` staying where it is (the window's centre when not given).
    void SetZoom(ZoomScale zoom, std::optional<QPoint> anchor = std::nullopt);
    bool PixelGridShown() const { return m_bPixelGrid; }
    // Whether the halved copies for the scales below actual size are built.
    bool PyramidReady() const { return m_cache.PyramidReady(); }
    int GetTool() const { return m_nTool; }
    // Takes up tool `tool` (a tool_id).
    void SetTool(int tool);
    QPoint GetScrollPosition() const;
    // The picture's size on screen (zoom times its size), 0 x 0 without one.
    QSize ScrollTotalSize() const;

    // Drawing state, for tests and the outline painter.
    bool IsDragging() const;
    int VertexCount() const;
    // The region that the outline of the current state covers (empty when
    // nothing is drawn). Exposed for tests and measurements.
    QRegion OutlineRegion() const;

    // The areas of the pane text as last read, and the selection.
    CMapAreas& MapAreas() { return m_areas; }
    const CAreaOverlay& Overlay() const { return m_areas.Overlay(); }
    int SelectedArea() const { return m_areas.SelectedArea(); }
    bool AreasShown() const { return m_bShowAreas; }
    // The area a browser picks at a client point, -1 for none.
    int AreaAt(QPoint client) const override;
    // The areas as read from the pane's text now, for a command; none
    // without a pane or a picture. With `current`, none either when the
    // text changed since the last read (the areas are read again then, so
    // that nothing is done from what the user did not see).
    std::optional<AreaScene> Scene(bool current) { return m_areas.Scene(current); }
    // Applies a command's edit as one undo step and selects what it says.
    void Apply(const AreaChange& change) { m_areas.Apply(change); }

    // The grid setting changed: what it shows is painted again.
    void OnGridChanged();
    // A setting of what shows (the areas' numbers and fill, the
    // checkerboard) changed: painted again.
    void OnShownChanged();

signals:
    // The tool, the zoom or the areas' visibility changed: check marks need
    // updating.
    void commandStateChanged();
    // The mouse came over another area (the one a browser would pick there)
    // or left it: -1 for none.
    void hoveredAreaChanged(int area);
    // A line for the status bar: the readout under the mouse, with the link
    // of the area there.
    void statusMessage(const QString& text);
    // The areas selected changed (indices in document order).
    void selectionChanged(const QList<int>& areas);
    // A right-click (or the menu key) at a client point over the picture
    // that the tool did not use: the place for a context menu.
    void menuWanted(QPoint client);

public slots:
    void OnToolCircle() { SetTool(kToolCircle); }
    void OnToolRect() { SetTool(kToolRect); }
    void OnToolPolygon() { SetTool(kToolPolygon); }
    void OnToolSelect() { SetTool(kToolSelect); }
    void OnToolTrace() { SetTool(kToolTrace); }
    void OnToggleAreas();
    // The outline tool's tolerance setting changed: the preview follows.
    void OnTraceToleranceChanged();
    // Actual and double size; the scroll position keeps its value.
    void OnZoomNormal();
    void OnZoomDouble();
    // The next preset level up or down, about the window's centre.
    void OnZoomIn();
    void OnZoomOut();
    // The whole picture in the window, kept so while the window resizes.
    void OnZoomFit();
    // A thin grid between picture pixels at 800 % and more.
    void OnShowPixelGrid(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // What the current tool shows over the picture.
    ToolOutline CurrentOutline() const { return m_tool->Outline(); }
    // Asks for a repaint of what differs between two outlines.
    void UpdateOutline(const ToolOutline& before) override;
    bool InWindow(QPoint client) const override;
    void RepaintAll() override;

    const CImage* Picture() const override;
    // The copies the view paints from, made anew.
    void RebuildCache();
    void UpdateScrollSizes();
    CRectTool& RectTool() const;
    CPolygonTool& PolygonTool() const;
    COutlineTool& OutlineTool() const;
    // Sets the zoom and the scroll that puts picture point `picture` at
    // client point `at`.
    void ApplyZoom(ZoomScale zoom, QPointF picture, QPoint at);
    void ShowStatus(const QString& text) { emit statusMessage(text); }
    // The status text the readout shows for a client point.
    QString ReadoutText(QPoint client) const;
    // The readout for a client point, with the link of the area under it;
    // with `changedOnly`, only when that differs from the readout last shown.
    void ShowReadout(QPoint client, bool changedOnly = false);
    // Picture bounds on the client point: x = W and y = H still count.
    bool IsInsidePicture(QPoint client) const override;
    bool AskLink(AreaLink* link) override { return m_areas.AskLink(link); }
    QWidget* DialogParent() override { return this; }
    Qt::KeyboardModifiers Modifiers() const override { return m_modifiers; }
    int GridSpacing() const override;
    // Notes the mouse at a client point (none: it left the window) and says
    // so when the area under it changed.
    void UpdateHovered(std::optional<QPoint> client);
    void InsertLine(const std::string& line, const AreaLink& link) override;
    // Draws the areas and the tool's outline over client rectangle r in
    // `block` (its top-left pixel, `stride` pixels a row).
    void ComposeOverlays(const QRect& r, const OutlinePixels& outline, uint32_t* block,
                         qsizetype stride, QImage::Format format);
    // The window's own 32-bit pixels, where the painter gives them out.
    struct WindowTarget {
        uint32_t* origin = nullptr;  // the image's first pixel
        qsizetype stride = 0;        // pixels a row
        QPoint offset;               // client to image
        QRegion region;              // client rectangles drawn straight in it
        uint32_t* At(QPoint client) const {
            return origin + (client.y() + offset.y()) * stride + client.x() + offset.x();
        }
    };
    // Puts together what the block lacks of the window scrolled to `scroll`:
    // straight in the window's pixels where `target` covers it (answered,
    // in client coordinates), else in the block. After a shift (`scrolled`)
    // that uncovered nothing but what is exposed, the block is left without it.
    QRegion PutShownTogether(QRgb background, QPoint scroll, const WindowTarget& target,
                             bool scrolled);
    // Whether anything but the tool's outline is drawn over the picture.
    bool OverlaysShown() const;

    // The areas' outlines and what CMapAreas needs of the view
    // (map_view_select.cpp).
    MarkupPane* Pane() const override;
    AreaMapping Mapping() const override;
    QSize PictureSize() const override;
    void Repaint(const QRect& client) override;
    CSelectTool& SelectTool() const override;
    bool Selecting() const override { return m_nTool == kToolSelect; }
    void TakeSelectTool() override { OnToolSelect(); }
    void AreasRead() override;
    // The snap grid's points over the client rectangle r, when it is on.
    void PaintGrid(QPainter& painter, const QRect& r) const;
    // Outlines and the selection's handles over the client rectangle r.
    void PaintAreas(QPainter& painter, const QRect& r) const;
    QRect SelectionBounds() const override;
    QRect OutlineBounds(const QRectF& picture) const override;
    // A selected area's coordinates as drawn: the drag's, or the text's.
    std::vector<double> SelectionCoords(int index) const;
    // How many areas lie under a client point.
    int AreasUnder(QPoint client) const;
    // The href of the area under a client point, for the readout.
    std::string HrefAt(QPoint client) const;

    CMapDoc* m_pDoc = nullptr;

    CPictureCache m_cache{[this] { return Picture(); }};
    // Transparent pixels shown over a checkerboard (a 表示 setting).
    bool m_bCheckerboard = false;
    ShownBlock m_block;               // what the window shows under what is drawn over
    bool m_bScrolled = false;         // the window's pixels shifted since the last paint
    std::vector<uint32_t> m_scratch;  // one exposed rectangle at a time, rows packed

    QPoint m_ptMouse;  // the mouse's last client point
    CAutoScroll m_autoScroll{*this, [this] { return m_tool->ButtonDragging(); }};
    bool m_bMenuTaken = false;  // the right-click was used: no menu for it
    // The mouse inside the window and the area under it.
    std::optional<QPoint> m_ptHovered;
    int m_nHovered = -1;
    ZoomScale m_zoom;
    bool m_bFit = false;
    bool m_bPixelGrid = false;
    int m_nWheelAngle = 0;  // Ctrl+wheel turns not yet making a step

    // Where the readout last shown was taken; shown again when the areas
    // change, cleared when the picture goes.
    std::optional<QPoint> m_ptReadout;
    QString m_strReadout;
    // Whether the readout has told how to reach areas that overlap.
    enum class OverlapHint { kNotYet, kTelling, kTold } m_overlapHint = OverlapHint::kNotYet;

    bool m_bShowAreas = true;
    CMapAreas m_areas{*this};
    Qt::KeyboardModifiers m_modifiers;  // of the mouse or key event at hand

    // One object a tool, made from the tool table and kept while another is
    // in use (an open polygon waits for its tool to come back); m_tool is
    // the one in use.
    std::array<std::unique_ptr<CMapTool>, tool_id::kCount> m_tools;
    int m_nTool = kToolRect;
    CMapTool* m_tool = nullptr;
};
