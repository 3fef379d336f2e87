// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copies of unsaved markup for after a crash, one file per running editor
// in the per-user state folder: recovery-PID.txt beside recovery-PID.lock,
// which the editor holds while it runs. A copy whose lock nobody holds was
// left by an editor that ended without cleaning up.
//
// The folder is the user's alone (0700); one that is a link or another
// user's is not used. Copies and lock files are read back only when they are
// regular files of the user's, never through a link.

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

#include "document/recovery_record.h"

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
    const QString& Folder() const { return m_folder; }

    // Replaces this editor's copy, atomically. False, with a short English
    // reason in *why, when it cannot be written.
    bool Write(const RecoveryRecord& record, QString* why);
    // Removes this editor's copy, if there is one.
    void Remove();
    QString OwnFile() const;

    // Files named as copies of other editors, newest first: links, FIFOs
    // and the like included, so that they can be named.
    QStringList Orphans() const;

    enum class Claim { kTaken, kInUse, kUnreadable };
    // Takes the lock of a file from Orphans() and reads the copy. kTaken:
    // *record holds it, and it is this editor's until Release or Discard.
    // kInUse: its editor still runs, or another took it. kUnreadable: *why
    // says why; the copy is left where it is.
    Claim ClaimOrphan(const QString& file, RecoveryRecord* record, QString* why);
    // Lets go of a claimed copy: it stays for the next start.
    void Release(const QString& file);
    // Removes a claimed copy with its lock.
    void Discard(const QString& file);

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::map<QString, std::unique_ptr<QLockFile>> m_claimed;
};
