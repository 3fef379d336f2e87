// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/transfer_runner.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>
#include <utility>

CTransferRunner::CTransferRunner(QObject* parent, Sender sender)
    : QObject(parent), m_sender(std::move(sender)) {}

CTransferRunner::~CTransferRunner() {
    if (!m_thread) return;
    m_thread->wait();
    QGuiApplication::restoreOverrideCursor();
}

bool CTransferRunner::Start(std::string utf8Text) {
    if (m_thread) return false;
    auto outcome = std::make_shared<ze::Status>();
    m_outcome = outcome;
    m_thread.reset(QThread::create(
        [sender = m_sender, text = std::move(utf8Text), outcome] { *outcome = sender(text); }));
    // Queued to this object's thread: the slot runs on the GUI thread.
    connect(m_thread.get(), &QThread::finished, this, &CTransferRunner::OnThreadFinished,
            Qt::QueuedConnection);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_thread->start();
    return true;
}

void CTransferRunner::OnThreadFinished() {
    if (!m_thread) return;
    m_thread->wait();
    // The thread object goes once the queued call that reports its end is done.
    m_thread.release()->deleteLater();
    QGuiApplication::restoreOverrideCursor();
    emit finished(StatusLine(*m_outcome));
}

QString CTransferRunner::StatusLine(const ze::Status& outcome) {
    if (outcome.ok() || outcome == ze::StatusCode::kNoSibling) return {};
    return QString::fromStdString(ze::StatusText(outcome, ze::TextLanguage::kJapanese));
}
