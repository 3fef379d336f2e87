#include "shell/resizable_bar.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QVBoxLayout>

CResizableBar::CResizableBar(QMainWindow* frame) : QDockWidget(frame), m_frame(frame) {
    setObjectName(QStringLiteral("ResizableBar"));
    setTitleBarWidget(&m_noTitle);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    setMinimumSize(kMinimum, kMinimum);
    auto* layout = new QVBoxLayout(&m_client);  // owned by m_client
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(0);
    m_client.setMinimumSize(1, 1);
    setWidget(&m_client);
    connect(this, &QDockWidget::topLevelChanged, this, &CResizableBar::OnTopLevelChanged);
}

void CResizableBar::SetPane(QWidget* pane) {
    m_client.layout()->addWidget(pane);
}

void CResizableBar::DockAt(Qt::DockWidgetArea area, int thickness) {
    setFloating(false);
    m_frame->addDockWidget(area, this);
    const bool horizontal = area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
    m_frame->resizeDocks({this}, {std::max(thickness, int(kMinimum))},
                         horizontal ? Qt::Vertical : Qt::Horizontal);
}

Qt::DockWidgetArea CResizableBar::DockSide() const {
    return isFloating() ? Qt::NoDockWidgetArea
                        : m_frame->dockWidgetArea(const_cast<CResizableBar*>(this));
}

Qt::DockWidgetArea CResizableBar::DropArea(const QPoint& globalPos) const {
    // Dropped within a band along an edge of the frame's window: dock there.
    const QRect frame = m_frame->frameGeometry();
    if (!frame.contains(globalPos)) return Qt::NoDockWidgetArea;
    const int band = std::max(kMinimum, std::min(frame.width(), frame.height()) / 8);
    const int left = globalPos.x() - frame.left();
    const int right = frame.right() - globalPos.x();
    const int top = globalPos.y() - frame.top();
    const int bottom = frame.bottom() - globalPos.y();
    const int nearest = std::min({left, right, top, bottom});
    if (nearest > band) return Qt::NoDockWidgetArea;
    if (nearest == bottom) return Qt::BottomDockWidgetArea;
    if (nearest == top) return Qt::TopDockWidgetArea;
    if (nearest == left) return Qt::LeftDockWidgetArea;
    return Qt::RightDockWidgetArea;
}

void CResizableBar::MarginPressed(const QPoint& globalPos) {
    m_pressed = true;
    m_moving = false;
    m_pressPos = globalPos;
    m_grabOffset = globalPos - mapToGlobal(QPoint(0, 0));
}

void CResizableBar::MarginMoved(const QPoint& globalPos) {
    if (!m_pressed) return;
    if (!m_moving) {
        if ((globalPos - m_pressPos).manhattanLength() < QApplication::startDragDistance()) return;
        m_moving = true;
        if (!isFloating()) {
            // Keep the grab point under the pointer when the bar lifts off.
            const QSize docked = size();
            setFloating(true);
            resize(docked);
            m_grabOffset.setX(std::min(m_grabOffset.x(), docked.width() - 1));
            m_grabOffset.setY(std::min(m_grabOffset.y(), docked.height() - 1));
        }
    }
    move(globalPos - m_grabOffset);
}

void CResizableBar::MarginReleased(const QPoint& globalPos) {
    const bool moved = m_pressed && m_moving;
    m_pressed = false;
    m_moving = false;
    if (!moved) return;
    const Qt::DockWidgetArea area = DropArea(globalPos);
    if (area == Qt::NoDockWidgetArea) return;
    const bool horizontal = area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
    DockAt(area, horizontal ? height() : width());
}

void CResizableBar::MarginDoubleClicked() {
    m_pressed = false;
    m_moving = false;
    setFloating(!isFloating());
}

void CResizableBar::OnTopLevelChanged(bool floating) {
    if (floating) {
        if (!m_moving) resize(m_sizeFloating.expandedTo(QSize(kMinimum, kMinimum)));
    }
}

void CResizableBar::Margin::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bar.MarginPressed(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CResizableBar::Margin::mouseMoveEvent(QMouseEvent* event) {
    m_bar.MarginMoved(event->globalPosition().toPoint());
    event->accept();
}

void CResizableBar::Margin::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bar.MarginReleased(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CResizableBar::Margin::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bar.MarginDoubleClicked();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}
