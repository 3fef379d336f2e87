// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer off the GUI thread: the event loop runs while the sender blocks, the wait cursor
// shows, one transfer at a time, and the outcome becomes a status-bar line.

#include "view/transfer_runner.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>
#include <future>
#include <memory>

using ze::StatusCode;

namespace {

// A sender that blocks until released, then answers `outcome`.
struct BlockingSender {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::string got;
    ze::Status outcome;

    CTransferRunner::Sender Sender() {
        return [this](const std::string& text) {
            released.wait();
            got = text;
            return outcome;
        };
    }
};

}  // namespace

class TransferRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void runsOffTheGuiThreadAndReportsTheOutcome() {
        const struct {
            StatusCode status;
            QString line;
        } cases[] = {
            {StatusCode::kOk, {}},
            {StatusCode::kNoSibling, {}},
            {StatusCode::kReceiverSilent,
             QString::fromUtf8("ZURI Zezez SEKKA への転送に応答がありませんでした。")},
            {StatusCode::kServerSilent,
             QString::fromUtf8("ZURI Zezez SEKKA への転送に応答がありませんでした。")},
            {StatusCode::kReceiverClosed,
             QString::fromUtf8("ZURI Zezez SEKKA へ転送できませんでした。")},
            {StatusCode::kNoDisplay,
             QString::fromUtf8("ZURI Zezez SEKKA へ転送できませんでした。")},
        };
        for (const auto& c : cases) {
            BlockingSender sender;
            sender.outcome = c.status;
            CTransferRunner runner(nullptr, sender.Sender());
            QSignalSpy finished(&runner, &CTransferRunner::finished);
            const std::string text("<MAP NAME=\"m\">\r\n\xE5\x9C\xB0\r\n</MAP>");
            QVERIFY(runner.Start(text));
            // The sender is blocked, yet events are still handled here.
            QTest::qWait(50);
            QVERIFY(runner.IsRunning());
            QVERIFY(QGuiApplication::overrideCursor());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QVERIFY(!runner.Start("second"));  // one at a time
            sender.release.set_value();
            QVERIFY(finished.wait(5000));
            QCOMPARE(finished.first().first().toString(), c.line);
            QCOMPARE(sender.got, text);
            QVERIFY(!runner.IsRunning());
            QVERIFY(!QGuiApplication::overrideCursor());
        }
    }

    void waitsForARunningTransferWhenDestroyed() {
        BlockingSender sender;
        auto runner = std::make_unique<CTransferRunner>(nullptr, sender.Sender());
        QVERIFY(runner->Start("x"));
        auto later = std::async(std::launch::async, [&sender] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            sender.release.set_value();
        });
        runner.reset();  // waits for the sender, then restores the cursor
        QCOMPARE(sender.got, std::string("x"));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TransferRunnerTest)
#include "transfer_runner_test.moc"
