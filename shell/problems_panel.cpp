// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/problems_panel.h"

#include <QHeaderView>
#include <algorithm>
#include <utility>
#include <vector>

#include "shell/column_fit.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}

// How many of the longest messages size the message's column.
constexpr size_t kMeasured = 8;

}  // namespace

CProblemsPanel::CProblemsPanel(QWidget* parent) : QDockWidget(U("問題"), parent) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    m_list.setObjectName(QStringLiteral("ProblemsList"));
    m_list.setColumnCount(4);
    m_list.setHeaderLabels({U("行"), U("種類"), U("内容"), U("規則")});
    m_list.setRootIsDecorated(false);
    m_list.setUniformRowHeights(true);
    // The message's column as wide as its longest message (ShowFindings),
    // the rule's name taking what is left.
    m_list.header()->setStretchLastSection(true);
    setWidget(&m_list);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &CProblemsPanel::Recheck);
    connect(&m_runner, &CCheckRunner::checked, this, &CProblemsPanel::ShowFindings);
    connect(&m_list, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    connect(&m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
}

void CProblemsPanel::SetSource(std::function<std::string()> text,
                               std::function<PictureSize()> picture) {
    m_text = std::move(text);
    m_picture = std::move(picture);
}

QString CProblemsPanel::MessageText(const MapFinding& finding) {
    return QString::fromStdString(JapaneseMessage(finding));
}

void CProblemsPanel::Recheck() {
    m_timer.stop();
    m_runner.Request(m_text ? m_text() : std::string(), m_picture ? m_picture() : PictureSize{});
}

void CProblemsPanel::ShowFindings() {
    const std::vector<MapFinding>& findings = m_runner.Findings();
    m_list.clear();
    QList<QTreeWidgetItem*> rows;
    int errors = 0;
    int lastLine = 0;
    // The longest few messages, by bytes, to size the message's column.
    std::vector<std::pair<size_t, QString>> longest;
    for (size_t i = 0; i < findings.size(); ++i) {
        const MapFinding& f = findings[i];
        const bool error = f.severity == CheckSeverity::kError;
        errors += error;
        const int line = m_lineOf ? m_lineOf(f.line, m_runner.Text()) : f.line;
        lastLine = std::max(lastLine, line);
        const QString message = MessageText(f);
        auto* row = new QTreeWidgetItem({QString::number(line), error ? U("エラー") : U("警告"),
                                         message, QString::fromUtf8(RuleId(f.rule))});
        row->setData(0, Qt::UserRole, qulonglong(i));
        row->setToolTip(2, U("%1 行目: %2").arg(line).arg(message));
        rows << row;
        longest.emplace_back(size_t(message.size()), message);
        if (longest.size() > 2 * kMeasured) {
            std::nth_element(longest.begin(), longest.begin() + kMeasured, longest.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            longest.resize(kMeasured);
        }
    }
    m_list.addTopLevelItems(rows);
    // Widths from the few texts the columns hold, not row by row.
    QStringList messages;
    for (const auto& [size, message] : longest) messages << message;
    FitColumn(m_list, *m_list.header(), 0, {QString::number(lastLine)});
    FitColumn(m_list, *m_list.header(), 1, {U("エラー"), U("警告")});
    FitColumn(m_list, *m_list.header(), 2, messages);
    setWindowTitle(
        findings.empty()
            ? U("問題")
            : U("問題 (エラー %1、警告 %2)").arg(errors).arg(int(findings.size()) - errors));
}

void CProblemsPanel::Choose(QTreeWidgetItem* item) {
    // Rows of a text typed over since are checked again first.
    if (!item || m_timer.isActive() || m_runner.Pending()) {
        Recheck();
        return;
    }
    const size_t i = size_t(item->data(0, Qt::UserRole).toULongLong());
    if (i >= Findings().size()) return;
    const MapFinding& f = Findings()[i];
    if (f.area >= 0)
        emit areaChosen(f.area);
    else
        emit tagChosen(f.offset, f.end);
}
