#pragma once
// The selection tool: a click selects the area a browser would pick, a drag
// moves it or one of its handles, the arrows move it by a pixel, Delete
// removes it, a double-click edits its link. A drag shows its result from a
// copy of the coordinates and edits the pane once, on release.

#include <QRect>
#include <QSize>
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
    virtual int SelectedArea() const = 0;
    virtual void SelectArea(int index) = 0;
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
    CSelectTool(CToolContext& context, CAreaContext& areas) : m_ctx(context), m_areas(areas) {}

    // The selected area's coordinates while a drag moves it; null otherwise.
    const std::vector<double>* Preview() const;
    // A drag pending or under way.
    bool Busy() const { return m_selectDrag != SelectDrag::kNone; }
    // The areas were read again or the selection changed: no drag.
    void Forget();

    void Press(QPoint client) override;
    void Move(QPoint client) override;
    void Release(QPoint client) override;
    void DoubleClick(QPoint client) override;
    bool Key(int key) override;
    bool RightClick(QPoint client) override;
    bool Cancel() override;
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
    std::vector<double> m_preview;  // the coordinates while dragging
};
