// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/page_source.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

bool IsFromSiteRoot(const QString& source) {
    const QString src = source.trimmed();
    return src.startsWith(QLatin1Char('/')) && !src.startsWith(QStringLiteral("//"));
}

QString SiteRootPath(const QString& source) {
    return QUrl(QStringLiteral("file:///"))
        .resolved(QUrl(source.trimmed()))
        .path(QUrl::FullyDecoded);
}

QString ResolvePageSource(const QString& pagePath, const QString& source, QString* url) {
    const QUrl base = QUrl::fromLocalFile(QFileInfo(pagePath).absoluteFilePath());
    const QUrl resolved = base.resolved(QUrl(source.trimmed()));
    if (resolved.isLocalFile()) return QDir::cleanPath(resolved.toLocalFile());
    if (url) *url = resolved.toString();
    return QString();
}
