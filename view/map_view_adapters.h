#pragma once
// The selection and outline tools behind the tool interface. Their state and
// code still live in the view (map_view_select.cpp, map_view_trace.cpp);
// these adapters hand them the events as the view used to. Included by the
// view's own files only.

#include "image/region_trace.h"
#include "view/map_view.h"

class CMapView::CSelectAdapter : public CMapTool {
public:
    explicit CSelectAdapter(CMapView& view) : m_view(view) {}
    void Press(QPoint client) override {
        if (m_view.Picture()) m_view.SelectPress(client);
    }
    void Move(QPoint client) override { m_view.SelectMove(client); }
    void Release(QPoint client) override { m_view.SelectRelease(client); }
    void DoubleClick(QPoint client) override {
        if (m_view.Picture()) m_view.SelectDoubleClick(client);
    }
    bool Key(int key) override { return m_view.SelectKey(key); }
    bool RightClick(QPoint) override { return m_view.CancelSelectDrag(); }
    bool Cancel() override { return m_view.CancelSelectDrag(); }
    bool ButtonDragging() const override { return m_view.m_selectDrag == SelectDrag::kDragging; }
    // The mouse stays while the picture moves under it: a drag follows.
    void Scrolled(QPoint client) override {
        if (m_view.m_selectDrag == SelectDrag::kDragging) m_view.SelectMove(client);
    }

private:
    CMapView& m_view;
};

class CMapView::CTraceAdapter : public CMapTool {
public:
    explicit CTraceAdapter(CMapView& view) : m_view(view) {}
    void Press(QPoint client) override {
        if (m_view.Picture() && m_view.IsInsidePicture(client)) m_view.FinishTrace(client);
    }
    void Move(QPoint client) override { m_view.HoverTrace(client); }
    ToolOutline Outline() const override {
        ToolOutline outline;
        if (m_view.m_trace.Preview().empty()) return outline;
        outline.kind = ToolOutline::kLines;
        outline.closed = true;
        outline.points = CTraceTool::ToClient(m_view.m_trace.Preview(), m_view.GetScrollPosition(),
                                              m_view.m_nZoom);
        return outline;
    }

private:
    CMapView& m_view;
};
