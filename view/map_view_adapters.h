#pragma once
// The outline tool behind the tool interface. Its code still lives in the
// view (map_view_trace.cpp); the adapter hands it the events as the view
// used to. Included by the view's own files only.

#include "image/region_trace.h"
#include "view/map_view.h"

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
        outline.points = CTraceTool::ToClient(m_view.m_trace.Preview(), m_view.Mapping());
        return outline;
    }

private:
    CMapView& m_view;
};
