// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map checker on a worker thread, over a copy of the pane's text, so
// that typing never waits for it however hostile the map: the newest request
// wins. A request made while a check runs waits for it to end; the findings
// of a text asked about since are dropped, never shown. Several views may
// share one runner: a request for the text being checked, or checked last,
// starts no second check (the last findings are delivered again).

#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "markup/map_check.h"

class CCheckRunner : public QObject {
    Q_OBJECT
public:
    explicit CCheckRunner(QObject* parent = nullptr);
    ~CCheckRunner() override;

    // Checks `text`, every image's picture taken to be `picture`.
    void Request(std::string text, PictureSize picture);
    // Whether findings of the latest request are still to come.
    bool Pending() const { return m_running || m_waiting; }
    // The text of the findings last delivered, and those findings.
    const std::string& Text() const { return m_text; }
    const std::vector<MapFinding>& Findings() const { return m_findings; }

signals:
    // Findings of the latest request are in.
    void checked();

private:
    struct Channel;
    struct Result;
    void Start();
    void Done(std::shared_ptr<Result> result);

    // Whether `text` and `picture` are what the findings of `text` were
    // asked for with.
    static bool Same(const std::string& a, PictureSize pa, const std::string& b, PictureSize pb);

    std::shared_ptr<Channel> m_channel;
    std::shared_ptr<Result> m_current;  // the check running, if one is
    PictureSize m_currentPicture;
    PictureSize m_picture;  // of the findings last delivered
    bool m_delivered = false;
    bool m_running = false;
    bool m_waiting = false;
    std::string m_nextText;
    PictureSize m_nextPicture;
    std::string m_text;
    std::vector<MapFinding> m_findings;
};
