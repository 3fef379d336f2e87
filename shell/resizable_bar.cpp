// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/resizable_bar.h"

#include <QApplication>
#include <QMainWindow>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <utility>

namespace {
bool IsHorizontal(Qt::DockWidgetArea area) {
    return area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
}
}  // namespace

CResizableBar::CResizableBar(QMainWindow* frame) : QDockWidget(frame), m_frame(frame) {
    setObjectName(QStringLiteral("ResizableBar"));
    setWindowTitle(QStringLiteral("HTML"));  // the caption of the floating bar
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
    connect(this, &QDockWidget::dockLocationChanged, this, &CResizableBar::OnDockLocationChanged);
}

void CResizableBar::SetPane(QWidget* pane) {
    m_client.layout()->addWidget(pane);
}

void CResizableBar::DockAt(Qt::DockWidgetArea area, int thickness) {
    (IsHorizontal(area) ? m_nHeightDocked : m_nWidthDocked) = std::max(thickness, int(kMinimum));
    DockAt(area);
}

void CResizableBar::DockAt(Qt::DockWidgetArea area) {
    setFloating(false);
    m_frame->addDockWidget(area, this);
    m_frame->resizeDocks({this}, {Thickness(area)},
                         IsHorizontal(area) ? Qt::Vertical : Qt::Horizontal);
}

void CResizableBar::FloatAt(const QRect& rect) {
    if (!isFloating()) RememberThickness();
    if (!rect.isNull()) {
        m_sizeFloating = rect.size();
        m_ptFloatAt = rect.topLeft();
    }
    setFloating(true);
}

int CResizableBar::Thickness(Qt::DockWidgetArea area) const {
    return IsHorizontal(area) ? m_nHeightDocked : m_nWidthDocked;
}

void CResizableBar::RememberThickness() {
    const Qt::DockWidgetArea side = DockSide();
    if (side == Qt::NoDockWidgetArea) return;
    if (IsHorizontal(side))
        m_nHeightDocked = std::max(height(), int(kMinimum));
    else
        m_nWidthDocked = std::max(width(), int(kMinimum));
    m_ptDocked = mapToGlobal(QPoint(0, 0));
}

void CResizableBar::OnDockLocationChanged(Qt::DockWidgetArea) {
    // However the bar came to a side (our margin, the window system's
    // caption, a toggle), it takes that orientation's thickness once the
    // main window has placed it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const Qt::DockWidgetArea side = DockSide();
            if (side == Qt::NoDockWidgetArea) return;
            m_frame->resizeDocks({this}, {Thickness(side)},
                                 IsHorizontal(side) ? Qt::Vertical : Qt::Horizontal);
        },
        Qt::QueuedConnection);
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
            RememberThickness();
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
    if (area == Qt::NoDockWidgetArea) {
        ShowCaption();
        return;
    }
    DockAt(area);
}

void CResizableBar::MarginDoubleClicked() {
    m_pressed = false;
    m_moving = false;
    if (!isFloating()) RememberThickness();
    setFloating(!isFloating());
}

void CResizableBar::ShowCaption() {
    // Docked: the empty title bar (no caption). Floating: Qt's default one,
    // which gives the window system's caption and resizing frame.
    QWidget* title = isFloating() ? nullptr : &m_noTitle;
    if (titleBarWidget() != title) setTitleBarWidget(title);
}

void CResizableBar::OnTopLevelChanged(bool floating) {
    if (!floating) {
        ShowCaption();
        return;
    }
    if (m_moving) return;  // the caption comes when the drag ends
    // Changing the title bar re-creates the window: not inside Qt's own
    // change of state, which is still running.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isFloating() || m_moving) return;
            ShowCaption();
            resize(m_sizeFloating.expandedTo(QSize(kMinimum, kMinimum)));
            // Where asked, else where it was docked: beside the main window,
            // on its screen.
            if (m_ptFloatAt)
                move(*std::exchange(m_ptFloatAt, std::nullopt));
            else
                move(m_ptDocked.isNull() ? m_frame->geometry().topLeft() + QPoint(40, 40)
                                         : m_ptDocked);
        },
        Qt::QueuedConnection);
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
