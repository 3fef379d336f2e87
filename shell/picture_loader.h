// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a picture on a worker thread so that the window keeps painting and
// answering while a large file loads. One load at a time: a new one, or
// Cancel, drops the result of the one before. While a load takes longer
// than a moment the status bar says so with a busy bar, and Esc cancels it.
// A colour JPEG, which takes longest to read at its reduced colours, can be
// shown in full colour first while the reduced picture is read.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "image/image.h"

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

class CPictureLoader : public QObject {
    Q_OBJECT
public:
    // How long a load runs before the status bar shows it.
    static constexpr int kShowAfterMs = 300;

    // What a finished load hands over: the picture (null when it did not
    // load, and then why) and what the image library said while reading it,
    // in order.
    struct Result {
        QString path;
        std::unique_ptr<CImage> image;
        ze::Status failure;
        QStringList messages;
    };
    using Done = std::function<void(Result&)>;

    // Pictures up to this many pixels are shown in full colour while their
    // colours are reduced: the full-colour picture and the reading beside it
    // take more memory than the reduced reading alone.
    static constexpr int64_t kStandInMaxPixels = 16'000'000;
    // A colour JPEG's full-colour reading, to show until its colours are
    // reduced; null for other pictures, those over the limit, with
    // `fullColour` (the setting: full colour is read anyway), or when it
    // does not load. A grey JPEG reads the
    // same either way: it comes back with `final` set, to keep for good.
    // Only regular files: a pipe would not give its bytes a second time.
    static std::unique_ptr<CImage> ReadStandIn(const std::string& path, int type, bool fullColour,
                                               bool* final);
    // For tests: runs on the worker thread once a stand-in is handed over,
    // before the reduced reading starts.
    static void SetBeforeReducing(std::function<void()> hook);

    CPictureLoader();
    // Drops any load in progress and waits for its thread to end.
    ~CPictureLoader() override;
    CPictureLoader(const CPictureLoader&) = delete;
    CPictureLoader& operator=(const CPictureLoader&) = delete;

    // Shows progress in `bar` and takes Esc in `window` from now on.
    void SetIndicatorHost(QStatusBar* bar, QWidget* window);

    // Starts reading `path` as picture type `type`; `done` runs later on
    // this object's thread unless the load is cancelled first.
    void Start(const QString& path, int type, Done done);
    // The same, and for a colour JPEG its full-colour reading is handed to
    // `shown` first, while the reduced one is read (the status bar says so).
    void StartWithStandIn(const QString& path, int type, Done shown, Done done);
    // Reads the reduced colours of `path`, whose full-colour reading is
    // already shown: the status bar says colours are being reduced.
    void StartReducing(const QString& path, int type, Done done);
    // Drops the load in progress: its `done` never runs.
    void Cancel();
    bool IsBusy() const { return m_current != 0; }
    // A full-colour stand-in is shown while the reduced colours are read.
    bool IsReducing() const { return IsBusy() && m_reducing; }
    const QString& CurrentPath() const { return m_path; }

signals:
    // After `done` has run, or after a cancel: no load is in progress.
    void idle();

private:
    struct Job;
    void Begin(const std::shared_ptr<Job>& job, const QString& path, Done done);
    void Run(const std::shared_ptr<Job>& job);
    void ShowStandIn(const std::shared_ptr<Job>& job);
    void Finish(const std::shared_ptr<Job>& job);
    void JoinThread(quint64 id);
    void ShowProgress(bool on);

    quint64 m_next = 1;
    quint64 m_current = 0;  // 0 while idle
    QString m_path;
    Done m_done;
    Done m_shown;
    bool m_reducing = false;
    std::shared_ptr<Job> m_job;
    std::map<quint64, std::thread> m_threads;
    QTimer m_slow;
    QPointer<QStatusBar> m_bar;
    QPointer<QLabel> m_label;
    QPointer<QProgressBar> m_busy;
    QPointer<QAction> m_escape;
};
