// SPDX-License-Identifier: GPL-3.0-or-later
// The peer of the editor's start-up measure (bench/first_frame.py): the
// least a Qt program does to show a picture. It reads the file named on its
// command line into a QImage and paints it into a window of the size and
// place the editor takes on its first start (four fifths of the screen each
// way, centred: FirstStartRect in shell/window_state.cpp), so that both fill
// and send the same number of pixels. With ZE_FIRST_PAINT set it prints the
// monotonic clock in nanoseconds once its first paint has reached the
// window, and ends, just as the editor does. With --menu before the file it
// shows the picture under a menu bar of the editor's five menu titles, which
// shows what setting up fonts for Japanese text alone costs.
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "shell/first_paint.h"

namespace {

class PictureWidget : public QWidget {
public:
    explicit PictureWidget(QImage image) : m_image(std::move(image)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).drawImage(0, 0, m_image);
        if (m_probe && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, ReportFirstPaintAndExit);
        }
    }

private:
    QImage m_image;
    bool m_probe = qEnvironmentVariableIsSet("ZE_FIRST_PAINT");
    bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool menu = argc > 2 && QByteArray(argv[1]) == "--menu";
    if (argc < 2 + int(menu)) return 2;
    // Pictures of any size, as the editor opens them.
    QImageReader::setAllocationLimit(0);
    QImage image(QString::fromLocal8Bit(argv[1 + int(menu)]));
    if (image.isNull()) return 1;
    auto* widget = new PictureWidget(std::move(image));
    QMainWindow window;
    window.setCentralWidget(widget);
    if (menu) {
        for (const char* title : {"ファイル(&F)", "編集(&E)", "領域(&R)", "表示(&V)", "その他(&O)"})
            window.menuBar()->addMenu(QString::fromUtf8(title));
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect place(0, 0, available.width() * 4 / 5, available.height() * 4 / 5);
        place.moveCenter(available.center());
        window.setGeometry(place);
    }
    window.show();
    return QApplication::exec();
}
