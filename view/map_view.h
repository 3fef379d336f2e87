#pragma once
// The map view: the picture, the drawing tools, the zoom and the transfer.
// For now it only holds its place in the frame.

#include <QAbstractScrollArea>

class CMapDoc;
class CMainFrame;

class CMapView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CMapView(QWidget* parent = nullptr);

    void SetDocument(CMapDoc* doc) { m_pDoc = doc; }
    CMapDoc* GetDocument() const { return m_pDoc; }
    // The frame that holds this view (its status bar and markup pane), or
    // null while the view is not inside one.
    CMainFrame* GetParentFrame() const;

    // After a picture has been opened.
    virtual void OnInitialUpdate();

public slots:
    void OnToolCircle();
    void OnToolRect();
    void OnToolPolygon();
    void OnZoomNormal();
    void OnZoomDouble();
    void OnTransfer();

private:
    CMapDoc* m_pDoc = nullptr;
};
