// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/check_runner.h"

#include <QMetaObject>
#include <QThreadPool>
#include <mutex>

// What the worker reports to: cleared when the runner goes, so that a check
// that ends after it reports to no one.
struct CCheckRunner::Channel {
    std::mutex lock;
    CCheckRunner* owner = nullptr;
};

struct CCheckRunner::Result {
    std::string text;
    std::vector<MapFinding> findings;
};

CCheckRunner::CCheckRunner(QObject* parent)
    : QObject(parent), m_channel(std::make_shared<Channel>()) {
    m_channel->owner = this;
}

CCheckRunner::~CCheckRunner() {
    const std::lock_guard<std::mutex> hold(m_channel->lock);
    m_channel->owner = nullptr;
}

bool CCheckRunner::Same(const std::string& a, PictureSize pa, const std::string& b,
                        PictureSize pb) {
    return pa.width == pb.width && pa.height == pb.height && a == b;
}

void CCheckRunner::Request(std::string text, PictureSize picture) {
    if (m_waiting   ? Same(text, picture, m_nextText, m_nextPicture)
        : m_running ? Same(text, picture, m_current->text, m_currentPicture)
                    : m_delivered && Same(text, picture, m_text, m_picture)) {
        if (!m_running && !m_waiting)
            QMetaObject::invokeMethod(this, &CCheckRunner::checked, Qt::QueuedConnection);
        return;
    }
    m_nextText = std::move(text);
    m_nextPicture = picture;
    m_waiting = true;
    if (!m_running) Start();
}

void CCheckRunner::Start() {
    m_waiting = false;
    m_running = true;
    auto result = std::make_shared<Result>();
    result->text = std::move(m_nextText);
    m_nextText.clear();
    const PictureSize picture = m_nextPicture;
    m_current = result;
    m_currentPicture = picture;
    QThreadPool::globalInstance()->start([channel = m_channel, result, picture] {
        const size_t images = ListMapImages(result->text).size();
        result->findings = CheckMaps(result->text, std::vector<PictureSize>(images, picture));
        const std::lock_guard<std::mutex> hold(channel->lock);
        if (CCheckRunner* owner = channel->owner)
            QMetaObject::invokeMethod(
                owner, [owner, result] { owner->Done(result); }, Qt::QueuedConnection);
    });
}

void CCheckRunner::Done(std::shared_ptr<Result> result) {
    m_running = false;
    m_current.reset();
    if (m_waiting) {  // the text changed meanwhile: these findings are stale
        Start();
        return;
    }
    m_text = std::move(result->text);
    m_findings = std::move(result->findings);
    m_picture = m_currentPicture;
    m_delivered = true;
    emit checked();
}
