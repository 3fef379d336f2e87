// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map view: the document's picture at a zoom from 6.25 % to 1600 % (or
// fitted to the window) inside scroll bars, the coordinate and colour
// readout (sent as statusMessage), the outlines of the pane's areas, and the
// mouse and keys handed to the tool in use: circles and rectangles, polygons
// (view/tools/), the outline tool that traces a region of the picture into a
// polygon, and the tool that selects, moves and reshapes areas. It knows
// nothing of the window around it: what changed goes out through signals,
// dialogs come in through prompts.
//
// A mouse position is a client point: the floor of the position in the
// viewport's logical pixels. A point placed by a click (a corner, a drag's
// start) stays fixed on the picture while the view scrolls or zooms; all
// conversions go through AreaMapping (view_mapping.h).

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/view_render.h"
#include "markup/area_attributes.h"
#include "markup/area_group.h"
#include "markup/area_line_insert.h"
#include "view/area_overlay.h"
#include "view/tools/map_tool.h"
#include "view/tools/outline_tool.h"
#include "view/tools/polygon_tool.h"
#include "view/tools/rect_tool.h"
#include "view/tools/select_tool.h"

class CMapDoc;
class MarkupPane;
class CImage;
class QMenu;

class CMapView : public QAbstractScrollArea, private CToolContext, private CAreaContext {
    Q_OBJECT
public:
    static constexpr int kToolCircle = 0;
    static constexpr int kToolRect = 1;
    static constexpr int kToolPolygon = 2;
    static constexpr int kToolSelect = 3;
    static constexpr int kToolTrace = 4;
    static constexpr int kMaxVertices = CPolygonTool::kMaxVertices;
    // The pixel grid shows from this whole zoom factor up.
    static constexpr int kPixelGridZoom = 8;

    explicit CMapView(QWidget* parent = nullptr);
    ~CMapView() override;

    void SetDocument(CMapDoc* doc);
    CMapDoc* GetDocument() const { return m_pDoc; }

    // After a picture has been opened: its halved copies are made anew and the
    // scroll sizes follow the picture. Tool, zoom (fitted anew when it
    // follows the window), a drag and an open polygon stay as they are.
    virtual void OnInitialUpdate();

    // Asks for the link target and the alternative text of an area, the
    // fields filled with what `url` and `alt` hold; false when the user
    // cancels. Unset: every area is given up as if cancelled.
    using LinkPrompt = std::function<bool(std::string* url, std::string* alt)>;
    void SetLinkPrompt(LinkPrompt prompt) {
        m_linkPrompt = std::move(prompt);
        m_areaLinkPrompt = nullptr;
    }
    // The same with every field of the link dialog: a new area gets the
    // optional attributes given a value, an edited one what was changed.
    // Setting one prompt drops the other.
    using AreaLinkPrompt = std::function<bool(AreaLink* link)>;
    void SetAreaLinkPrompt(AreaLinkPrompt prompt) {
        m_areaLinkPrompt = std::move(prompt);
        m_linkPrompt = nullptr;
    }

    // Shows the context menu at a global position. Unset: QMenu::exec.
    using MenuRunner = std::function<void(QMenu& menu, QPoint global)>;
    void SetMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }

    ZoomScale GetZoom() const { return m_zoom; }
    // Whether the zoom follows the window, fitting the whole picture in it.
    bool IsFitZoom() const { return m_bFit; }
    // Shows the picture at `zoom`, the picture point under client point
    // `anchor` staying where it is (the window's centre when not given).
    void SetZoom(ZoomScale zoom, std::optional<QPoint> anchor = std::nullopt);
    bool PixelGridShown() const { return m_bPixelGrid; }
    // Whether the halved copies for the scales below actual size are built.
    bool PyramidReady() const { return m_pyramid && m_pyramid->Ready(); }
    int GetTool() const { return m_nTool; }
    QPoint GetScrollPosition() const;
    // The status text the readout would show for a client point.
    QString ReadoutText(QPoint client) const;
    // The picture's size on screen (zoom times its size), 0 x 0 without one.
    QSize ScrollTotalSize() const;

    // Drawing state, for tests and the outline painter.
    bool IsDragging() const { return m_rectTool.IsDragging(); }
    int VertexCount() const { return m_polygonTool.VertexCount(); }
    // Where a placed point shows now, in client pixels.
    QPoint Vertex(int i) const;
    QPoint AnchorPoint() const;
    QPoint LastPoint() const;
    // The region that the outline of the current state covers (empty when
    // nothing is drawn). Exposed for tests and measurements.
    QRegion OutlineRegion() const;

    // The areas of the pane text as last read, the one selected (-1: none)
    // and whether their outlines show.
    const CAreaOverlay& Overlay() const { return m_overlay; }
    int SelectedArea() const override { return m_nSelected; }
    bool AreasShown() const { return m_bShowAreas; }
    // Selects area `index` (-1: none) and marks its tag in the pane.
    void SelectArea(int index) override;
    // Several areas selected at once (indices in document order, 0-based);
    // the last one given is the one whose handles show and whose tag the
    // pane marks.
    void SelectAreas(const QList<int>& areas);
    QList<int> SelectedAreas() const;
    std::vector<int> Selection() const override { return m_selection; }
    void SetSelection(const std::vector<int>& areas, int primary) override;

    // Commands on the selection, each one edit of the pane (one undo step).
    // Aligning, sizing and spacing want two or more areas (spacing three).
    void AlignSelection(AreaAlign how);
    void SameSizeSelection(bool width);
    void SpaceSelection(bool horizontal);
    // The selected tags go to the clipboard as text; Cut removes them.
    void CopySelection();
    void CutSelection();
    // The area tags of the clipboard's text go in before the map's end,
    // 10 pixels right and down as far as the picture allows, selected.
    void PasteAreas();
    // A copy of each selected area, 10 pixels right and down, selected.
    void DuplicateSelection();
    void DeleteSelection();
    // Every area of the map selected (the selection tool taken up).
    void SelectAllAreas();
    // The numbers of the area last picked as its coords text ("10,20,30,40"),
    // and sets them from such a text, one edit. Setting answers false, and
    // changes nothing, without an area picked or for numbers its shape cannot
    // take (a rectangle 4, a circle 3, a polygon 6 or more and even).
    QString SelectedCoordsText();
    bool SetSelectedCoords(const QString& text);
    // Adds 揃える, 同じ大きさ and 等間隔 for the selection to `menu`, each
    // item enabled when enough areas are selected.
    void FillArrangeMenu(QMenu* menu);
    // The grid setting changed: what it shows is painted again.
    void OnGridChanged();
    // A setting of what shows (the areas' numbers and fill, the
    // checkerboard) changed: painted again.
    void OnShownChanged();
    // Reads the pane text now if it changed since the last read.
    void RefreshAreas();

    // Sends `text` (the pane's whole text) to the sibling HTML editor, off
    // the GUI thread; a receiver that did not answer is reported through
    // statusMessage.
    void Transfer(const std::string& text);

signals:
    // The tool, the zoom or the areas' visibility changed: check marks need
    // updating. Each change also has its own signal.
    void commandStateChanged();
    void toolChanged(int tool);
    void zoomChanged(ZoomScale zoom);
    void areasShownChanged(bool shown);
    // The mouse came over another area (the one a browser would pick there)
    // or left it: -1 for none.
    void hoveredAreaChanged(int area);
    // A line for the status bar: the readout under the mouse (with the link
    // of the area there) or the outcome of a transfer.
    void statusMessage(const QString& text);
    // The areas selected changed (indices in document order).
    void selectionChanged(const QList<int>& areas);

public slots:
    void OnToolCircle();
    void OnToolRect();
    void OnToolPolygon();
    void OnToolSelect();
    void OnToggleAreas();
    // The pane text or its caret changed: the areas are read again shortly,
    // once for a burst of changes.
    void OnPaneChanged();
    void OnPaneCaretMoved();
    void OnToolTrace();
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
    using Outline = ToolOutline;
    // The outline the current tool shows (the circle or rectangle being
    // dragged, the open polygon, the outline tool's preview, a finished shape
    // while its link dialog is up).
    Outline CurrentOutline() const;
    // Asks for a repaint of what differs between two outlines.
    void UpdateOutline(const Outline& before) override;
    bool InWindow(QPoint client) const override;
    void RepaintAll() override;

    const CImage* Picture() const override;
    void RebuildCache();
    // Whether the rows and copies were made from the pixels `image` holds now.
    bool CacheIsFor(const CImage* image) const;
    // Begins the pyramid of the picture, unless it is there.
    void StartPyramid();
    // Builds the next slice of the pyramid; repaints once it is done.
    void PyramidStep();
    void UpdateScrollSizes();
    void SetTool(int tool);
    // The object of tool `tool` (kToolCircle and so on).
    CMapTool* ToolObject(int tool);
    // Sets the zoom and the scroll that puts picture point `picture` at
    // client point `at`.
    void ApplyZoom(ZoomScale zoom, QPointF picture, QPoint at);
    void ShowStatus(const QString& text);
    // The readout for a client point, with the link of the area under it;
    // with `changedOnly`, only when that differs from the readout last shown.
    void ShowReadout(QPoint client, bool changedOnly = false);
    // Picture bounds on the client point: x = W and y = H still count.
    bool IsInsidePicture(QPoint client) const override;
    bool AskLink(std::string* url, std::string* alt) override;
    QWidget* DialogParent() override { return this; }
    Qt::KeyboardModifiers Modifiers() const override { return m_modifiers; }
    int GridSpacing() const override;
    // Gives up what the mouse is drawing or dragging with the current tool:
    // a rubber band, the open polygon, a drag of the selection. False when
    // there was none.
    bool CancelDrawing();
    // With the button held near or beyond an edge the view scrolls by
    // itself, faster the farther out the mouse is.
    bool ButtonDragging() const;
    void UpdateAutoScroll();
    void AutoScrollStep();
    // A right-click that ends a polygon or gives up a drag; false otherwise.
    bool RightClick(QPoint client);
    // The context menu's commands for an area: its link, removal, a copy,
    // and its place among the map's tags.
    void EditAreaLink(int index) override;
    void DeleteArea(int index);
    void DuplicateArea(int index);
    void ReorderArea(int index, bool earlier);
    // Notes the mouse at a client point (none: it left the window) and says
    // so when the area under it changed.
    void UpdateHovered(std::optional<QPoint> client);
    // Puts an area line into the pane's text.
    void InsertLine(const std::string& line) override;
    // Puts the client rectangle r together in `block` (its top-left pixel,
    // `stride` pixels a row): the window colour, the picture and the edge line.
    void ComposeRect(const QRect& r, QRgb background, uint32_t* block, qsizetype stride);

    // The areas and their outlines, and what the selection tool edits them
    // through (map_view_select.cpp).
    MarkupPane* Pane() const;
    AreaMapping Mapping() const override;
    QSize PictureSize() const override;
    const std::vector<AreaTag>& Areas() const override;
    const std::string& AreaText() const override { return m_parsedText; }
    void Repaint(const QRect& client) override;
    // The snap grid's points over the client rectangle r, when it is on.
    void PaintGrid(QPainter& painter, const QRect& r) const;
    // Outlines and the selection's handles over the client rectangle r.
    void PaintAreas(QPainter& painter, const QRect& r) const;
    // The client rectangle the selection covers, handles included.
    QRect SelectionBounds() const override;
    // The client rectangle to paint again for outlines changed within
    // `picture` (picture coordinates), their numbers included.
    QRect OutlineBounds(const QRectF& picture) const;
    // A selected area's coordinates as drawn: the drag's, or the text's.
    std::vector<double> SelectionCoords(int index) const;
    // Tells the world when the selection differs from `before`.
    void NotifySelection(const std::vector<int>& before);
    // The areas read from the pane's present text; false without a pane or
    // a picture.
    bool ReadAreas();
    // The edit of a command on the selection, applied with the selection kept.
    void ApplyToSelection(const TextEdit& edit);
    // Applies an edit of the pane as one undo step and reads the areas again.
    void ApplyPaneEdit(const TextEdit& edit) override;
    // True when the areas were read from the pane's present text; otherwise
    // they are read again (and a drag given up) and the answer is false, so
    // that no edit is made from stale offsets.
    bool AreasCurrent() override;
    // The area a browser picks at a client point, -1 for none.
    int AreaAt(QPoint client) const override;
    // How many areas lie under a client point.
    int AreasUnder(QPoint client) const;
    // The href of the area under a client point, for the readout.
    std::string HrefAt(QPoint client) const;

    CMapDoc* m_pDoc = nullptr;

    // The picture's rows as the view paints them (no copy of the pixels) and
    // its halved copies for the scales below actual size, built a slice at
    // a time by m_pyramidTimer.
    std::unique_ptr<CPictureRows> m_rows;
    std::unique_ptr<CPicturePyramid> m_pyramid;
    QTimer m_pyramidTimer;
    uint32_t m_cachedBackground = 0;  // the window colour they were made with
    // Below actual size, the whole picture as shown when that is small (at
    // most a few screens): repaints and scrolls copy from it. Made anew
    // when the zoom, the picture or the pyramid changes.
    std::vector<uint32_t> m_shown;
    ZoomScale m_shownZoom;
    bool m_shownFromPyramid = false;
    // The generation of the pixel store the rows and copies were made from:
    // another generation (a new picture, pixels read again) makes them anew.
    uint64_t m_cachedGeneration = 0;
    // Transparent pixels shown over a checkerboard (a 表示 setting).
    bool m_bCheckerboard = false;
    std::vector<uint32_t> m_scratch;  // one exposed rectangle at a time, rows packed

    QPoint m_ptMouse;  // the mouse's last client point
    QTimer m_autoScroll;
    bool m_bMenuTaken = false;  // the right-click was used: no menu for it
    int m_nTool = kToolRect;
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
    LinkPrompt m_linkPrompt;
    AreaLinkPrompt m_areaLinkPrompt;
    // The optional attributes given for the area whose line comes next.
    AreaLink m_pendingLink;
    MenuRunner m_menuRunner;

    CAreaOverlay m_overlay;
    std::string m_parsedText;  // the pane text the overlay was read from
    QSize m_parsedSize;        // and the picture size it was laid out for
    QTimer m_refreshTimer;
    CAreaLineInserter m_inserter;
    bool m_bCaretMoved = false;
    bool m_bShowAreas = true;
    int m_nSelected = -1;               // the area whose handles show
    std::vector<int> m_selection;       // every area selected, in order
    Qt::KeyboardModifiers m_modifiers;  // of the mouse or key event at hand

    // One object a tool, kept while another is in use (an open polygon
    // waits for its tool to come back); m_tool is the one in use.
    CRectTool m_rectTool{*this};
    CPolygonTool m_polygonTool{*this};
    CSelectTool m_selectTool{*this, *this};
    COutlineTool m_outlineTool{*this};
    CMapTool* m_tool = &m_rectTool;
};
