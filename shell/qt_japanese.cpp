#include "shell/qt_japanese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

QString QtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool InstallQtJapanese() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QtTranslationsFolder()))
        return false;
    // From here the application owns it: it lives as long as any dialog.
    translator->setParent(app);
    return QCoreApplication::installTranslator(translator.release());
}
