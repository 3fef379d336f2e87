// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The docking bar that holds the markup pane: no caption while docked,
// docked at the bottom 200 pixels thick at the start, dockable on every side
// and floating, never thinner than 32 pixels. It keeps one thickness for the
// top and bottom (a height) and one for the left and right (a width), each
// 200 at the start and remembered as the bar leaves a side. Its content keeps
// a 5-pixel margin around the pane; pressing and dragging in that margin
// moves the bar, and a double-click there toggles docked and floating. A
// floating bar is a tool window with the window system's caption and frame,
// near the main window.

#include <QDockWidget>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <optional>

class QMainWindow;

class CResizableBar : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kMargin = 5;
    static constexpr int kMinimum = 32;
    static constexpr int kDefaultSize = 200;

    explicit CResizableBar(QMainWindow* frame);

    // Puts `pane` inside the margin (not owned: the caller keeps it alive
    // longer than the bar's children list needs it, or lets Qt delete it).
    void SetPane(QWidget* pane);
    // Docks the bar on `area` of the frame, `thickness` pixels thick (from
    // now on the thickness of that orientation).
    void DockAt(Qt::DockWidgetArea area, int thickness);
    // Docks the bar on `area` with the thickness remembered for it.
    void DockAt(Qt::DockWidgetArea area);
    // Floats the bar with its frame's top-left and its size as `rect`; a null
    // `rect` floats it where a double-click would.
    void FloatAt(const QRect& rect);
    // The thickness the bar takes on `area`: the remembered height for the
    // top and bottom, the remembered width for the left and right.
    int Thickness(Qt::DockWidgetArea area) const;
    Qt::DockWidgetArea DockSide() const;
    // The area a floating bar dropped at `globalPos` docks to, or
    // NoDockWidgetArea when it stays floating.
    Qt::DockWidgetArea DropArea(const QPoint& globalPos) const;

    // The margin widget: the bar's client area.
    QWidget& Client() { return m_client; }

    // Mouse handling of the margin (also reached from tests).
    void MarginPressed(const QPoint& globalPos);
    void MarginMoved(const QPoint& globalPos);
    void MarginReleased(const QPoint& globalPos);
    void MarginDoubleClicked();

private:
    class Margin : public QWidget {
    public:
        explicit Margin(CResizableBar& bar) : m_bar(bar) {}

    protected:
        void mousePressEvent(QMouseEvent* event) override;
        void mouseMoveEvent(QMouseEvent* event) override;
        void mouseReleaseEvent(QMouseEvent* event) override;
        void mouseDoubleClickEvent(QMouseEvent* event) override;

    private:
        CResizableBar& m_bar;
    };

    void OnTopLevelChanged(bool floating);
    void ShowCaption();
    void OnDockLocationChanged(Qt::DockWidgetArea area);
    // Stores the docked thickness before the bar leaves its side.
    void RememberThickness();

    QMainWindow* m_frame;
    QWidget m_noTitle;  // an empty title bar: the bar has no caption
    Margin m_client{*this};
    QSize m_sizeFloating{kDefaultSize, kDefaultSize};
    int m_nHeightDocked = kDefaultSize;  // top and bottom
    int m_nWidthDocked = kDefaultSize;   // left and right
    QPoint m_ptDocked;                   // global top-left where it was last docked
    std::optional<QPoint> m_ptFloatAt;   // where the next float goes instead
    bool m_pressed = false;
    bool m_moving = false;
    QPoint m_pressPos;    // global position of the press
    QPoint m_grabOffset;  // press position relative to the bar's top-left
};
