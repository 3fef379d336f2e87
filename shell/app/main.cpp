// zer-evizi: the image-map editor. One optional argument: a picture to open.

#include <QApplication>
#include <cstdio>

#include "image/safe_write.h"
#include "shell/icons.h"
#include "shell/map_app.h"
#include "shell/store/qt_profile_store.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ze::InstallSaveSignalHandlers();
    QApplication::setOrganizationName(QString::fromUtf8(QtProfileStore::kOrganization));
    QApplication::setApplicationName(QString::fromUtf8(QtProfileStore::kApplication));
    QApplication::setDesktopFileName(QStringLiteral("zer-evizi"));
    QApplication::setWindowIcon(AppIcon());

    QtProfileStore store;
    CMapApp mapApp(store);
    QString error;
    if (!mapApp.InitInstance(QApplication::arguments().mid(1), &error)) {
        std::fprintf(stderr, "zer-evizi: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    const int status = QApplication::exec();
    mapApp.ExitInstance();
    return status;
}
