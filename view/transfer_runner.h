// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the sibling transfer off the GUI thread, one at a time: the window
// keeps repainting and taking input while the receiver is awaited, the wait
// cursor shows while the transfer runs, and the outcome comes back as a
// status-bar line.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "transfer/sibling_transfer.h"

class QThread;

class CTransferRunner : public QObject {
    Q_OBJECT
public:
    using Sender = std::function<ze::Status(const std::string& utf8Text)>;

    explicit CTransferRunner(QObject* parent = nullptr,
                             Sender sender = ze::transfer::SendMarkupToSibling);
    // Waits for a transfer still running (it ends by its own deadline).
    ~CTransferRunner() override;

    // Starts sending a copy of the text and shows the wait cursor; false,
    // with nothing done, while another transfer runs.
    bool Start(std::string utf8Text);
    bool IsRunning() const { return m_thread != nullptr; }

    // The status-bar line for an outcome: empty when the text was taken or no
    // window matched (nothing to say), else why the transfer did not happen.
    static QString StatusLine(const ze::Status& outcome);

signals:
    // The transfer is over; `statusLine` as StatusLine gives it.
    void finished(const QString& statusLine);

private:
    void OnThreadFinished();

    Sender m_sender;
    std::unique_ptr<QThread> m_thread;
    std::shared_ptr<ze::Status> m_outcome;
};
