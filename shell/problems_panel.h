// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 問題 panel: a dock listing what the map checker finds in the pane's
// text, one row a finding (line, severity, what is wrong, the rule's name),
// checked again on a worker thread a moment after typing pauses. A click
// on a row says which area or tag it is about; the window selects it.

#include <QDockWidget>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "markup/map_check.h"
#include "shell/check_runner.h"

class CProblemsPanel : public QDockWidget {
    Q_OBJECT
public:
    // How long typing pauses before the text is checked again.
    static constexpr int kDelayMs = 250;

    explicit CProblemsPanel(QWidget* parent = nullptr);

    // Where the text and the picture's size come from (0 x 0: no picture).
    void SetSource(std::function<std::string()> text, std::function<PictureSize()> picture);
    // The line shown for a finding at a line of the text (a page's own line
    // when the text came from a page); the text's line when not set.
    void SetLineMap(std::function<int(int, std::string_view)> lineOf) {
        m_lineOf = std::move(lineOf);
    }
    // Checks again once typing pauses.
    void Schedule() { m_timer.start(); }
    // Checks the text now; the rows follow when the check is done.
    void Recheck();
    const std::vector<MapFinding>& Findings() const { return m_runner.Findings(); }
    QTreeWidget& List() { return m_list; }
    // The panel's checker, which other views of the findings may share.
    CCheckRunner& Runner() { return m_runner; }
    // What the finding says, in Japanese with the page's details.
    static QString MessageText(const MapFinding& finding);

signals:
    // A finding about area `area` (ParseAreas order) was clicked.
    void areaChosen(int area);
    // A finding about another tag, the bytes [begin, end) of the text.
    void tagChosen(size_t begin, size_t end);

private:
    void Choose(QTreeWidgetItem* item);
    void ShowFindings();

    QTreeWidget m_list;
    QTimer m_timer;
    std::function<std::string()> m_text;
    std::function<PictureSize()> m_picture;
    std::function<int(int, std::string_view)> m_lineOf;
    CCheckRunner m_runner;
};
