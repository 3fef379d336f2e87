// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/picture_loader.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <vector>

#include "document/map_doc.h"
#include "document/settings.h"
#include "image/image_types.h"
#include "io/messages.h"

struct CPictureLoader::Job {
    quint64 id = 0;
    std::string path;
    int type = 0;
    bool fullColour = false;  // read when the job starts, on the window's thread
    bool standIn = false;     // a full-colour reading first, for a colour JPEG
    std::atomic<bool> cancelled{false};
    // Written by the worker before it posts the job back, read after.
    std::unique_ptr<CImage> image;
    std::unique_ptr<CImage> shown;  // the full-colour reading, handed over before the end
    ze::Status failure;
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

namespace {
std::function<void()> g_beforeReducing;
}  // namespace

void CPictureLoader::SetBeforeReducing(std::function<void()> hook) {
    g_beforeReducing = std::move(hook);
}

std::unique_ptr<CImage> CPictureLoader::ReadStandIn(const std::string& path, int type,
                                                    bool fullColour, bool* final) {
    *final = false;
    std::error_code error;
    if (type != kImageJpeg || fullColour || !std::filesystem::is_regular_file(path, error))
        return nullptr;
    auto image = std::make_unique<CImage>();
    image->fullColour = true;
    image->readLimits.maxPixels = std::min(image->readLimits.maxPixels, kStandInMaxPixels);
    std::vector<std::string> said;
    {
        ze::ScopedMessageCollector collect;
        image->Load(path, type);
        said = collect.Messages();
    }
    if (image->GetWidth() <= 0 || image->GetHeight() <= 0) return nullptr;
    // Grey files read as their grey levels whether or not in full colour.
    // Otherwise the reduced reading says the same again, and this one keeps quiet.
    if (image->GetDepth() == 8) {
        image->fullColour = false;
        *final = true;
        for (const std::string& text : said) ze::ReportMessage(text);
    }
    return image;
}

void CPictureLoader::Start(const QString& path, int type, Done done) {
    auto job = std::make_shared<Job>();
    job->type = type;
    Begin(job, path, std::move(done));
}

void CPictureLoader::StartWithStandIn(const QString& path, int type, Done shown, Done done) {
    auto job = std::make_shared<Job>();
    job->type = type;
    job->standIn = true;
    Begin(job, path, std::move(done));
    m_shown = std::move(shown);
}

void CPictureLoader::StartReducing(const QString& path, int type, Done done) {
    Start(path, type, std::move(done));
    m_reducing = true;
    ShowProgress(true);
}

void CPictureLoader::Begin(const std::shared_ptr<Job>& job, const QString& path, Done done) {
    Cancel();
    job->id = m_next++;
    job->path = path.toStdString();
    job->fullColour = GetFullColourSetting();
    m_current = job->id;
    m_path = path;
    m_done = std::move(done);
    m_job = job;
    m_threads.emplace(job->id, std::thread([this, job] { Run(job); }));
    if (m_escape) m_escape->setEnabled(true);
    m_slow.start();
}

// On the worker thread.
void CPictureLoader::Run(const std::shared_ptr<Job>& job) {
    ze::ScopedMessageCollector collect;
    if (job->standIn && !job->cancelled) {
        bool final = false;
        std::unique_ptr<CImage> shown = ReadStandIn(job->path, job->type, job->fullColour, &final);
        if (final) {
            job->image = std::move(shown);
        } else if (shown) {
            job->shown = std::move(shown);
            QMetaObject::invokeMethod(
                this, [this, job] { ShowStandIn(job); }, Qt::QueuedConnection);
            if (g_beforeReducing) g_beforeReducing();
        }
    }
    if (!job->cancelled && !job->image)
        job->image = LoadPicture(job->path, job->type, &job->failure, job->fullColour);
    job->messages = collect.Messages();
    // Posted to this object: the destructor waits for the thread, and a
    // posted call dies with its receiver.
    QMetaObject::invokeMethod(
        this, [this, job] { Finish(job); }, Qt::QueuedConnection);
}

void CPictureLoader::ShowStandIn(const std::shared_ptr<Job>& job) {
    if (job->cancelled || job->id != m_current || !m_shown) return;
    Result result;
    result.path = m_path;
    result.image = std::move(job->shown);
    Done shown = std::move(m_shown);
    m_reducing = true;
    m_slow.stop();
    ShowProgress(true);
    shown(result);
}

void CPictureLoader::Cancel() {
    if (!m_job) return;
    m_job->cancelled = true;
    m_job.reset();
    m_current = 0;
    m_path.clear();
    m_done = nullptr;
    m_shown = nullptr;
    m_reducing = false;
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
    m_shown = nullptr;
    m_reducing = false;
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
        const QString file = QFileInfo(m_path).fileName();
        m_label->setText(m_reducing ? QString::fromUtf8("減色中… %1").arg(file)
                                    : QString::fromUtf8("読み込み中… %1").arg(file));
        m_label->show();
        m_busy->show();
    } else {
        m_label->hide();
        m_busy->hide();
    }
}
