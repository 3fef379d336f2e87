// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/recent_files.h"

#include <QDir>

#include "document/settings.h"

namespace {
const char kSection[] = "Recent File List";

std::string EntryName(int i) {
    return "File" + std::to_string(i + 1);
}
}  // namespace

bool SamePath(const QString& a, const QString& b) {
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

void CRecentFileList::Load(ProfileStore& store) {
    m_paths.clear();
    for (int i = 0; i < kSize; ++i) {
        const std::string path = store.GetProfileString(kSection, EntryName(i), "");
        if (!path.empty()) m_paths.append(QString::fromStdString(path));
    }
}

void CRecentFileList::Save(ProfileStore& store) const {
    for (int i = 0; i < kSize; ++i) {
        store.WriteProfileString(kSection, EntryName(i),
                                 i < m_paths.size() ? m_paths[i].toStdString() : std::string());
    }
}

void CRecentFileList::Add(const QString& path) {
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        if (SamePath(m_paths[i], path)) {
            m_paths.removeAt(i);
            break;
        }
    }
    m_paths.prepend(path);
    while (m_paths.size() > kSize) m_paths.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_paths.size()) m_paths.removeAt(index);
}

QString AbbreviatePath(const QString& path, int maxChars, QChar separator) {
    if (path.size() <= maxChars) return path;
    const qsizetype lastSep = path.lastIndexOf(separator);
    const QString fileName = path.mid(lastSep + 1);

    // The root: "/" on POSIX, "C:\" or "\\server\share\" on Windows.
    qsizetype rootEnd = 0;
    if (path.startsWith(QString(2, separator))) {
        const qsizetype server = path.indexOf(separator, 2);
        const qsizetype share = server < 0 ? -1 : path.indexOf(separator, server + 1);
        rootEnd = share < 0 ? 0 : share + 1;
    } else if (path.size() >= 3 && path[1] == QLatin1Char(':') && path[2] == separator) {
        rootEnd = 3;
    } else if (path.startsWith(separator)) {
        rootEnd = 1;
    }
    const QString root = path.left(rootEnd);
    const QString dots = QStringLiteral("...");

    // The tail starts at a separator; take the shortest tail that fits.
    if (lastSep < rootEnd || root.size() + dots.size() + 1 + fileName.size() > maxChars) {
        return fileName;
    }
    qsizetype start = lastSep;
    for (qsizetype i = rootEnd; i < lastSep; ++i) {
        if (path[i] != separator) continue;
        if (root.size() + dots.size() + (path.size() - i) <= maxChars) {
            start = i;
            break;
        }
    }
    return root + dots + path.mid(start);
}

QString RecentMenuText(int index, const QString& path) {
    QString name = AbbreviatePath(QDir::toNativeSeparators(path), CRecentFileList::kMaxDisplay,
                                  QDir::separator());
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}
