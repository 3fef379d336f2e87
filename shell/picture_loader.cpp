// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/picture_loader.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QWidget>
#include <atomic>
#include <vector>

#include "doc/map_doc.h"
#include "doc/settings.h"
#include "io/messages.h"

struct CPictureLoader::Job {
    quint64 id = 0;
    std::string path;
    int type = 0;
    bool fullColour = false;  // read when the job starts, on the window's thread
    std::atomic<bool> cancelled{false};
    // Written by the worker before it posts the job back, read after.
    std::unique_ptr<CImage> image;
    ze::ReadFailure failure;
    std::vector<std::string> messages;
};

CPictureLoader::CPictureLoader() {
    m_slow.setSingleShot(true);
    m_slow.setInterval(kShowAfterMs);
    connect(&m_slow, &QTimer::timeout, this, [this] { ShowProgress(true); });
}

CPictureLoader::~CPictureLoader() {
    if (m_job) m_job->cancelled = true;
    for (auto& [id, thread] : m_threads) thread.join();
}

void CPictureLoader::SetIndicatorHost(QStatusBar* bar, QWidget* window) {
    m_bar = bar;
    if (bar) {
        // Permanent widgets: the readout's messages do not cover them.
        m_label = new QLabel(bar);  // owned by the status bar
        m_busy = new QProgressBar(bar);
        m_busy->setRange(0, 0);  // a busy bar: the readers do not say how far they are
        m_busy->setMaximumWidth(120);
        m_busy->setMaximumHeight(14);
        bar->addPermanentWidget(m_label);
        bar->addPermanentWidget(m_busy);
        m_label->hide();
        m_busy->hide();
    }
    if (window) {
        // Owned by the window; its text names it in the list of keys.
        m_escape = new QAction(QString::fromUtf8("画像の読み込みを中止"), window);
        m_escape->setShortcut(QKeySequence(Qt::Key_Escape));
        m_escape->setShortcutContext(Qt::WindowShortcut);
        m_escape->setEnabled(IsBusy());
        window->addAction(m_escape);
        connect(m_escape, &QAction::triggered, this, &CPictureLoader::Cancel);
    }
}

void CPictureLoader::Start(const QString& path, int type, Done done) {
    Cancel();
    auto job = std::make_shared<Job>();
    job->id = m_next++;
    job->path = path.toStdString();
    job->type = type;
    job->fullColour = GetFullColourSetting();
    m_current = job->id;
    m_path = path;
    m_done = std::move(done);
    m_job = job;
    m_threads.emplace(job->id, std::thread([this, job] {
                          {
                              ze::ScopedMessageCollector collect;
                              if (!job->cancelled)
                                  job->image = LoadPicture(job->path, job->type, &job->failure,
                                                           job->fullColour);
                              job->messages = collect.Messages();
                          }
                          // Posted to this object: the destructor waits for the
                          // thread, and a posted call dies with its receiver.
                          QMetaObject::invokeMethod(
                              this, [this, job] { Finish(job); }, Qt::QueuedConnection);
                      }));
    if (m_escape) m_escape->setEnabled(true);
    m_slow.start();
}

void CPictureLoader::Cancel() {
    if (!m_job) return;
    m_job->cancelled = true;
    m_job.reset();
    m_current = 0;
    m_path.clear();
    m_done = nullptr;
    m_slow.stop();
    ShowProgress(false);
    if (m_escape) m_escape->setEnabled(false);
    emit idle();
}

void CPictureLoader::JoinThread(quint64 id) {
    auto it = m_threads.find(id);
    if (it == m_threads.end()) return;
    it->second.join();  // it has posted its job: it is ending
    m_threads.erase(it);
}

void CPictureLoader::Finish(const std::shared_ptr<Job>& job) {
    JoinThread(job->id);
    if (job->cancelled || job->id != m_current) return;
    Result result;
    result.path = m_path;
    result.image = std::move(job->image);
    result.failure = job->failure;
    for (const std::string& text : job->messages) result.messages << QString::fromStdString(text);
    Done done = std::move(m_done);
    m_job.reset();
    m_current = 0;
    m_path.clear();
    m_slow.stop();
    ShowProgress(false);
    if (m_escape) m_escape->setEnabled(false);
    if (done) done(result);
    emit idle();
}

void CPictureLoader::ShowProgress(bool on) {
    if (!m_label || !m_busy) return;
    if (on && IsBusy()) {
        m_label->setText(QString::fromUtf8("読み込み中… %1").arg(QFileInfo(m_path).fileName()));
        m_label->show();
        m_busy->show();
    } else {
        m_label->hide();
        m_busy->hide();
    }
}
