// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/problems_panel.h"

#include <QHeaderView>
#include <cstring>

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}

struct RuleName {
    const char* rule;
    const char* text;
};
constexpr RuleName kRuleNames[] = {
    {"area-alt", "リンクの代替テキスト (alt) がありません"},
    {"img-alt", "画像に代替テキスト (alt) がありません"},
    {"invalid-area", "ブラウザが無視する領域です"},
    {"empty-area", "領域が画像の画素を含みません"},
    {"outside-picture", "領域が画像からはみ出しています"},
    {"unreachable", "前の領域に覆われて選べない領域です"},
    {"overlap", "領域が前の領域と重なっています"},
    {"duplicate-alt", "別のリンクと同じ代替テキストです"},
    {"no-href", "href も nohref もありません"},
    {"script-href", "javascript: のリンクです"},
    {"missing-map", "usemap の名前のマップがありません"},
    {"duplicate-map", "同じ名前のマップが前にあります"},
    {"shared-map", "マップを複数の画像が使っています"},
    {"scaled-image", "画像の表示サイズが画像と異なります"},
};
}  // namespace

CProblemsPanel::CProblemsPanel(QWidget* parent) : QDockWidget(U("問題"), parent) {
    setObjectName(QStringLiteral("ProblemsPanel"));
    m_list.setObjectName(QStringLiteral("ProblemsList"));
    m_list.setColumnCount(4);
    m_list.setHeaderLabels({U("行"), U("種類"), U("内容"), U("規則")});
    m_list.setRootIsDecorated(false);
    m_list.setUniformRowHeights(true);
    m_list.header()->setStretchLastSection(false);
    m_list.header()->setSectionResizeMode(2, QHeaderView::Stretch);
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

QString CProblemsPanel::RuleText(const char* rule) {
    for (const RuleName& name : kRuleNames)
        if (std::strcmp(name.rule, rule) == 0) return U(name.text);
    return QString::fromUtf8(rule);
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
    for (size_t i = 0; i < findings.size(); ++i) {
        const MapFinding& f = findings[i];
        const bool error = f.severity == CheckSeverity::kError;
        errors += error;
        auto* row = new QTreeWidgetItem({QString::number(f.line), error ? U("エラー") : U("警告"),
                                         RuleText(f.rule), QString::fromUtf8(f.rule)});
        row->setData(0, Qt::UserRole, qulonglong(i));
        row->setToolTip(2, QString::fromStdString(f.message));
        rows << row;
    }
    m_list.addTopLevelItems(rows);
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
