// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The selection tool: a click selects the area a browser would pick (Alt:
// the next one under the pointer, Shift: adds or takes away; Tab and
// Shift+Tab step through the areas under the last click), a drag on
// empty picture selects what its band wholly contains, a drag moves the
// selection or one handle of the area last picked, the arrows move the
// selection by a pixel, Delete removes it (or the polygon corner clicked
// last), a double-click on a polygon's edge (or Insert over it) adds a
// corner, elsewhere edits the link. A drag shows its result from a copy of
// the coordinates and edits the pane once, on release.

#include <QRect>
#include <QSize>
#include <optional>
#include <string>
#include <vector>

#include "markup/area_model.h"
#include "view/tools/map_tool.h"

// What the selection tool needs of the view beyond CToolContext: the areas
// as last read from the pane and the one selected, and edits of the pane.
class CAreaContext {
public:
    virtual ~CAreaContext() = default;
    virtual const std::vector<AreaTag>& Areas() const = 0;
    // The text the areas were read from.
    virtual const std::string& AreaText() const = 0;
    // The area last picked, whose handles show; -1: none.
    virtual int SelectedArea() const = 0;
    // Selects only that area (-1: none).
    virtual void SelectArea(int index) = 0;
    // Every area selected, in document order.
    virtual std::vector<int> Selection() const {
        return SelectedArea() >= 0 ? std::vector<int>{SelectedArea()} : std::vector<int>{};
    }
    // Selects `areas`, `primary` (one of them, or -1) the one whose handles show.
    virtual void SetSelection(const std::vector<int>& areas, int primary) {
        (void)areas;
        SelectArea(primary);
    }
    // True when the areas were read from the pane's present text; otherwise
    // they are read again and the answer is false.
    virtual bool AreasCurrent() = 0;
    virtual QSize PictureSize() const = 0;
    // The area a browser picks at a client point, -1 for none.
    virtual int AreaAt(QPoint client) const = 0;
    virtual void EditAreaLink(int index) = 0;
    // An edit of the pane as one undo step; the areas are read again.
    virtual void ApplyPaneEdit(const TextEdit& edit) = 0;
    // The client rectangle the selection covers, handles included.
    virtual QRect SelectionBounds() const = 0;
    virtual void Repaint(const QRect& client) = 0;
};

class CSelectTool : public CMapTool {
public:
    static const ToolDescriptor kRow;
    CSelectTool(CToolContext& context, CAreaContext& areas) : m_ctx(context), m_areas(areas) {}

    // The selected area's coordinates while a drag reshapes it; null otherwise.
    const std::vector<double>* Preview() const;
    // How far a drag moves the selection now; (0, 0) without one.
    QPoint MoveOffset() const { return Moving() ? m_moveDelta : QPoint(); }
    bool Moving() const {
        return m_selectDrag == SelectDrag::kDragging && !m_bBand && m_nHandle < 0;
    }
    // The polygon corner last clicked (its handle's index), -1 for none.
    int SelectedCorner() const { return m_nCorner; }
    // A drag pending or under way.
    bool Busy() const { return m_selectDrag != SelectDrag::kNone; }
    // The areas were read again or the selection changed: no drag.
    void Forget();

    void Press(QPoint client) override;
    void Move(QPoint client) override;
    void Release(QPoint client) override;
    void DoubleClick(QPoint client) override;
    bool Key(int key) override;
    // Tab (forward) or Shift+Tab: selects the next area under the last
    // click, in a browser's order. False when fewer than two areas lie
    // there, so that the key moves the focus as usual.
    bool CycleLastClick(bool forward);
    bool RightClick(QPoint client) override;
    bool Cancel() override;
    ToolOutline Outline() const override;
    bool ButtonDragging() const override { return m_selectDrag == SelectDrag::kDragging; }
    void Scrolled(QPoint client) override;

private:
    CToolContext& m_ctx;
    CAreaContext& m_areas;
    // A drag of the selection: pending until the mouse has moved a little;
    // of handle m_nHandle, or of the whole area when that is -1.
    enum class SelectDrag { kNone, kPending, kDragging };
    SelectDrag m_selectDrag = SelectDrag::kNone;
    int m_nHandle = -1;
    PlacedPoint m_ptPress;
    std::vector<double> m_preview;       // the coordinates while reshaping
    QPoint m_moveDelta;                  // picture pixels while moving
    bool m_bBand = false;                // the drag draws a selection band
    bool m_bBandAdds = false;            // what it holds joins the selection
    QPoint m_ptBand;                     // the band's moving corner
    QPoint m_ptHover;                    // the mouse, for Insert
    std::optional<QPointF> m_lastClick;  // picture point of the last press, for Tab
    int m_nCorner = -1;
    bool m_bNarrow = false;  // a click (no drag) selects only the area pressed

    // Areas wholly inside the band.
    std::vector<int> BandAreas() const;
    // The next (or previous) area under a picture point in a browser's
    // order: Alt+click, Tab.
    void CycleAt(QPointF at, bool forward = true);
    // Shift+click: the area joins or leaves the selection.
    void ToggleArea(int area);
    // The edge of the selected polygon under a client point; -1: none.
    int EdgeAt(QPoint client) const;
    // A corner at the client point on edge `edge` of the selected polygon.
    void AddCorner(int edge, QPoint client);
    bool RemoveSelectedCorner();
    // The selection after a reshape or move has been drawn: repaints.
    void RepaintSelection(const QRect& before);
};
