// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "io/own_file.h"
#include "shell/window_text.h"

namespace {
// What QLockFile writes: a process id, an application and a host name.
constexpr size_t kLockMaxBytes = 4096;

QString LockOf(const QString& file) {
    QString lock = file;
    lock.chop(4);  // ".txt"
    return lock + QStringLiteral(".lock");
}

// The lock of `path`, taken; null when it cannot be taken: *why is then
// empty when another editor holds it, else the reason. QLockFile reads the
// lock file it finds (and its ".rmlock") through whatever stands there, so
// only regular files of the user's of a lock's size are left to it.
std::unique_ptr<QLockFile> TakeLock(const QString& path, QString* why) {
    for (const QString& file : {path, path + QStringLiteral(".rmlock")}) {
        const ze::Status status = ze::CheckOwnFile(file.toStdString(), kLockMaxBytes);
        if (status != ze::StatusCode::kOk && status != ze::StatusCode::kMissing) {
            *why = QString::fromUtf8("ロックファイル %1 は%2")
                       .arg(QDir::toNativeSeparators(file), WindowText(status));
            return nullptr;
        }
    }
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) return lock;
    why->clear();
    if (lock->error() == QLockFile::PermissionError)
        *why = WindowText(ze::StatusCode::kLockDenied);
    else if (lock->error() != QLockFile::LockFailedError)
        *why = WindowText(ze::StatusCode::kLockFailed);
    return nullptr;
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

bool CRecovery::Write(const RecoveryRecord& record, QString* why) {
    if (!m_lock) {
        const ze::Status folder = ze::MakeOwnFolder(m_folder.toStdString());
        if (folder != ze::StatusCode::kOk) {
            *why = WindowText(folder);
            return false;
        }
        m_lock = TakeLock(LockOf(OwnFile()), why);
        if (!m_lock) {
            if (why->isEmpty()) *why = WindowText(ze::StatusCode::kLockInUse);
            return false;
        }
    }
    ze::Status reason;
    if (WriteRecoveryFile(OwnFile().toStdString(), record, &reason)) return true;
    *why = WindowText(reason);
    return false;
}

void CRecovery::Remove() {
    if (!m_lock) return;
    QFile::remove(OwnFile());
    m_lock.reset();  // unlocks and removes the lock file
}

QStringList CRecovery::Orphans() const {
    // A folder that is there but not the user's own is not looked into.
    if (!QFileInfo::exists(m_folder) ||
        ze::MakeOwnFolder(m_folder.toStdString()) != ze::StatusCode::kOk)
        return {};
    const QFileInfoList files = QDir(m_folder).entryInfoList(
        {QStringLiteral("recovery-*.txt")}, QDir::Files | QDir::System, QDir::Time);
    const QString own = QFileInfo(OwnFile()).absoluteFilePath();
    QStringList result;
    for (const QFileInfo& info : files)
        if (info.absoluteFilePath() != own) result << info.absoluteFilePath();
    return result;
}

CRecovery::Claim CRecovery::ClaimOrphan(const QString& file, RecoveryRecord* record, QString* why) {
    std::unique_ptr<QLockFile> lock = TakeLock(LockOf(file), why);
    if (!lock) return why->isEmpty() ? Claim::kInUse : Claim::kUnreadable;
    ze::Status reason;
    if (!ReadRecoveryFile(file.toStdString(), record, &reason)) {
        *why = WindowText(reason);
        return Claim::kUnreadable;
    }
    m_claimed[file] = std::move(lock);
    return Claim::kTaken;
}

void CRecovery::Release(const QString& file) {
    m_claimed.erase(file);
}

void CRecovery::Discard(const QString& file) {
    if (m_claimed.count(file)) QFile::remove(file);
    m_claimed.erase(file);
}
