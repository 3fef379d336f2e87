#include "view/map_view.h"

#include "shell/main_frame.h"

CMapView::CMapView(QWidget* parent) : QAbstractScrollArea(parent) {}

CMainFrame* CMapView::GetParentFrame() const {
    return qobject_cast<CMainFrame*>(window());
}

void CMapView::OnInitialUpdate() {
    viewport()->update();
}

void CMapView::OnToolCircle() {}
void CMapView::OnToolRect() {}
void CMapView::OnToolPolygon() {}
void CMapView::OnZoomNormal() {}
void CMapView::OnZoomDouble() {}
