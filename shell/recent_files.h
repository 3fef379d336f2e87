// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recent-file list: up to four full paths, most recent first, kept in
// the "Recent File List" section (File1 to File4).

#include <QString>
#include <QStringList>

class ProfileStore;

class CRecentFileList {
public:
    static constexpr int kSize = 4;
    static constexpr int kMaxDisplay = 30;

    void Load(ProfileStore& store);
    void Save(ProfileStore& store) const;

    // Puts `path` at the head; an equal entry further down moves up.
    void Add(const QString& path);
    void Remove(int index);
    const QStringList& Paths() const { return m_paths; }

private:
    QStringList m_paths;
};

// Whether two full paths name the same file as the system compares names
// (without case on Windows). Nothing is looked up on disk.
bool SamePath(const QString& a, const QString& b);

// `path` shortened to at most `maxChars` characters: the root, "...", and as
// many trailing folders as fit before the file name; the file name alone
// when nothing else fits. `separator` is the native one.
QString AbbreviatePath(const QString& path, int maxChars, QChar separator);
// The menu text of entry `index` (0-based): "&1 name"; ampersands doubled.
QString RecentMenuText(int index, const QString& path);
