#include "view/map_view_adapters.h"

void CMapView::CreateTools() {
    m_traceTool = std::make_unique<CTraceAdapter>(*this);
}

CMapView::~CMapView() = default;

CMapTool* CMapView::ToolObject(int tool) {
    switch (tool) {
        case kToolCircle:
        case kToolRect:
            return &m_rectTool;
        case kToolPolygon:
            return &m_polygonTool;
        case kToolSelect:
            return &m_selectTool;
        default:
            return m_traceTool.get();
    }
}
