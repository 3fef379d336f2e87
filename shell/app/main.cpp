// SPDX-License-Identifier: GPL-3.0-or-later
// zer-evizi: the image-map editor. One optional argument: a picture to open.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "io/safe_write.h"
#include "shell/first_paint.h"
#include "shell/font_warm_up.h"
#include "shell/icons.h"
#include "shell/main_frame.h"
#include "shell/map_app.h"
#include "shell/qt_japanese.h"
#include "store/qt_profile_store.h"

namespace {
QtMessageHandler g_qtMessages = nullptr;

// While the application starts, a fatal message from Qt (above all: no
// window system to reach) ends the program with one plain line and status 1
// instead of an abort.
void StartupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        if (g_qtMessages)
            g_qtMessages(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
        return;
    }
    if (text.contains(QLatin1String("platform plugin"))) {
        std::fputs(
            "zer-evizi: there is no display to show the editor on (Qt's window-system plugin "
            "could not start; the lines above say why). Start it in a desktop session, over "
            "\"ssh -X\", or under a virtual display: xvfb-run zer-evizi PICTURE\n",
            stderr);
    } else {
        std::fprintf(stderr, "zer-evizi: %s\n", text.toLocal8Bit().constData());
    }
    std::fflush(stderr);
    std::_Exit(1);
}
}  // namespace

int main(int argc, char** argv) {
    CFontConfigWarmUp fonts;
    g_qtMessages = qInstallMessageHandler(StartupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_qtMessages);
    ze::InstallSaveSignalHandlers();
    QApplication::setOrganizationName(QString::fromUtf8(QtProfileStore::kOrganization));
    QApplication::setApplicationName(QString::fromUtf8(QtProfileStore::kApplication));
    QApplication::setDesktopFileName(QStringLiteral("jp.sekka.zerevizi"));
    QApplication::setWindowIcon(AppIcon());
    fonts.Wait();

    QtProfileStore store;
    CMapApp mapApp(store);
    QString error;
    if (!mapApp.InitInstance(QApplication::arguments().mid(1), &error)) {
        std::fprintf(stderr, "zer-evizi: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    // Qt's Japanese texts are for its dialogs: they wait for the first frame
    // (and each dialog loads them first if it comes sooner).
    AfterFirstPaint(mapApp.Frame(), [] { InstallQtJapanese(); });
    // For measuring start-up (bench/first_frame.py): with ZE_FIRST_PAINT set,
    // the program prints the monotonic clock in nanoseconds once the first
    // paint of the picture has reached the window, and ends.
    if (qEnvironmentVariableIsSet("ZE_FIRST_PAINT")) {
        AfterFirstPaint(mapApp.Frame()->View().viewport(), ReportFirstPaintAndExit);
    }
    const int status = QApplication::exec();
    mapApp.ExitInstance();
    return status;
}
