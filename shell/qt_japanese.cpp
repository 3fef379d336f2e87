// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt_japanese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

QString QtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

namespace {
bool LoadInto(QCoreApplication* app) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QtTranslationsFolder()))
        return false;
    // From here the application owns it: it lives as long as any dialog.
    translator->setParent(app);
    return QCoreApplication::installTranslator(translator.release());
}
}  // namespace

bool InstallQtJapanese() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    // Once per application; later calls answer as the first did.
    static QCoreApplication* s_done = nullptr;
    static bool s_installed = false;
    if (s_done != app) {
        s_done = app;
        s_installed = LoadInto(app);
    }
    return s_installed;
}
