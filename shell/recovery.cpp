#include "shell/recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

#include "image/file_io.h"
#include "image/safe_write.h"

namespace {
QString LockOf(const QString& file) {
    QString lock = file;
    lock.chop(4);  // ".txt"
    return lock + QStringLiteral(".lock");
}
}  // namespace

CRecovery::CRecovery(const QString& folder) : m_folder(folder) {}

CRecovery::~CRecovery() = default;

QString CRecovery::DefaultFolder() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/zer-evizi");
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
#endif
}

QString CRecovery::OwnFile() const {
    return m_folder + QStringLiteral("/recovery-%1.txt").arg(QCoreApplication::applicationPid());
}

bool CRecovery::Write(const RecoveryRecord& record) {
    if (!m_lock) {
        if (!QDir().mkpath(m_folder)) return false;
        m_lock = std::make_unique<QLockFile>(LockOf(OwnFile()));
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0)) {
            m_lock.reset();
            return false;
        }
    }
    const std::string bytes = FormatRecoveryRecord(record);
    m_written = ze::WriteFileSafely(OwnFile().toStdString(), [&bytes](std::FILE* f) {
                    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
                }) == ze::WriteError::kNone;
    return m_written;
}

void CRecovery::Remove() {
    if (!m_lock) return;
    QFile::remove(OwnFile());
    m_lock.reset();  // unlocks and removes the lock file
    m_written = false;
}

QStringList CRecovery::Orphans() const {
    const QDir dir(m_folder);
    QFileInfoList files =
        dir.entryInfoList({QStringLiteral("recovery-*.txt")}, QDir::Files, QDir::Time);
    QStringList result;
    for (const QFileInfo& info : files) {
        const QString file = info.absoluteFilePath();
        if (m_lock && file == QFileInfo(OwnFile()).absoluteFilePath()) continue;
        QLockFile lock(LockOf(file));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0)) continue;  // its editor still runs
        result << file;
    }
    return result;
}

bool CRecovery::Claim(const QString& file, RecoveryRecord* record) {
    QLockFile lock(LockOf(file));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) return false;
    std::vector<unsigned char> bytes;
    const bool read = ze::ReadWholeFile(file.toStdString(), bytes);
    QFile::remove(file);
    return read &&
           ParseRecoveryRecord(
               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), record);
}
