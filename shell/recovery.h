#pragma once
// Copies of unsaved markup for after a crash, one file per running editor
// in the per-user state folder: recovery-PID.txt beside recovery-PID.lock,
// which the editor holds while it runs. A copy whose lock nobody holds was
// left by an editor that ended without cleaning up.

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "markup/recovery_record.h"

class CRecovery {
public:
    // `folder`: where the copies live (made when first needed).
    explicit CRecovery(const QString& folder = DefaultFolder());
    ~CRecovery();
    CRecovery(const CRecovery&) = delete;
    CRecovery& operator=(const CRecovery&) = delete;

    // $XDG_STATE_HOME/zer-evizi (~/.local/state/zer-evizi) on Linux, the
    // application's local data folder elsewhere.
    static QString DefaultFolder();

    // Replaces this editor's copy, atomically. False when it cannot be written.
    bool Write(const RecoveryRecord& record);
    // Removes this editor's copy, if there is one.
    void Remove();
    QString OwnFile() const;

    // Copies left by editors that no longer run, newest first.
    QStringList Orphans() const;
    // Takes an orphan: reads it and removes it with its lock. False when
    // another editor took it first or it does not read as a record.
    bool Claim(const QString& file, RecoveryRecord* record);

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    bool m_written = false;
};
