// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs.h"

#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>

#include "document/settings.h"
#include "markup/link_path.h"
#include "shell/prompts.h"

namespace {
const char kOk[] = "OK";
const char kCancel[] = "ｷｬﾝｾﾙ";
const char kBrowse[] = "参照";

// A fixed-size modal frame with a title and a close box only.
void SetUpFrame(QDialog& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setModal(true);
    dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void SetUpButtons(QDialog& dialog, QPushButton& ok, QPushButton& cancel) {
    ok.setText(QString::fromUtf8(kOk));
    ok.setDefault(true);
    ok.setAutoDefault(true);
    cancel.setText(QString::fromUtf8(kCancel));
    // Enter presses the focused button, OK when the focus is elsewhere.
    cancel.setAutoDefault(true);
    QObject::connect(&ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(&cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}
}  // namespace

QList<FileFilter> LinkFileFilters() {
    return {
        {QStringLiteral("HTML(*.html,*.htm)"), {QStringLiteral("*.html"), QStringLiteral("*.htm")}},
        {QString::fromUtf8("全てのﾌｧｨﾙ(*.*)"), {QStringLiteral("*.*")}}};
}

QString FolderBrowseStart() {
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QDir::currentPath()).left(3);
#else
    return QStringLiteral("/");
#endif
}

CLinkDlg::CLinkDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("ﾘﾝｸの設定"));
    SetUpButtons(*this, m_ok, m_cancel);
    m_labelUrl.setText(QString::fromUtf8("URL："));
    m_labelAlt.setText(QString::fromUtf8("代替えﾃｷｽﾄ："));
    m_browse.setText(QString::fromUtf8(kBrowse));
    m_browse.setAutoDefault(true);
    connect(&m_browse, &QPushButton::clicked, this, &CLinkDlg::OnBrowse);

    auto* grid = new QGridLayout(this);  // owned by the dialog
    grid->addWidget(&m_labelUrl, 0, 0, 1, 2);
    grid->addWidget(&m_editUrl, 1, 0);
    grid->addWidget(&m_browse, 1, 1);
    grid->addWidget(&m_labelAlt, 2, 0, 1, 2);
    grid->addWidget(&m_editAlt, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;  // owned by the grid
    buttons->addStretch(1);
    buttons->addWidget(&m_ok);
    buttons->addWidget(&m_cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    m_editUrl.setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    // The further attributes, below the buttons, collapsed unless the user
    // left them open.
    m_more.setText(QString::fromUtf8("その他の属性"));
    m_more.setCheckable(true);
    m_more.setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_more.setAutoRaise(true);
    m_target.setEditable(true);
    m_target.addItems({QStringLiteral("_blank"), QStringLiteral("_self"), QStringLiteral("_parent"),
                       QStringLiteral("_top")});
    m_target.setCurrentIndex(-1);
    m_target.setInsertPolicy(QComboBox::NoInsert);
    auto* form = new QFormLayout(&m_moreBox);  // owned by the box
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("title:"), &m_editTitle);
    form->addRow(QStringLiteral("target:"), &m_target);
    form->addRow(QStringLiteral("id:"), &m_editId);
    form->addRow(QStringLiteral("class:"), &m_editClass);
    form->addRow(QStringLiteral("rel:"), &m_editRel);
    grid->addWidget(&m_more, 5, 0, 1, 2);
    grid->addWidget(&m_moreBox, 6, 0, 1, 2);
    const auto show = [this](bool shown) {
        m_more.setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
        m_moreBox.setVisible(shown);
    };
    const bool shown = GetMoreAttributesSetting();
    m_more.setChecked(shown);
    show(shown);
    connect(&m_more, &QToolButton::toggled, this, [show](bool on) {
        show(on);
        SetMoreAttributesSetting(on);
    });

    SetUpFrame(*this);
    setTabOrder(&m_ok, &m_cancel);
    setTabOrder(&m_cancel, &m_editUrl);
    setTabOrder(&m_editUrl, &m_editAlt);
    setTabOrder(&m_editAlt, &m_browse);
    setTabOrder(&m_browse, &m_more);
    setTabOrder(&m_more, &m_editTitle);
    setTabOrder(&m_editTitle, &m_target);
    setTabOrder(&m_target, &m_editId);
    setTabOrder(&m_editId, &m_editClass);
    setTabOrder(&m_editClass, &m_editRel);
    m_editUrl.setFocus();
}

QLineEdit& CLinkDlg::MoreEdit(size_t index) {
    QLineEdit* edits[] = {&m_editTitle, m_target.lineEdit(), &m_editId, &m_editClass, &m_editRel};
    return *edits[std::min<size_t>(index, 4)];
}

void CLinkDlg::SetLink(const AreaLink& link) {
    m_editUrl.setText(QString::fromStdString(link.href));
    m_editAlt.setText(QString::fromStdString(link.alt));
    for (size_t i = 0; i < std::size(kMoreAttributeNames); ++i)
        MoreEdit(i).setText(QString::fromStdString(MoreAttribute(link, i)));
}

AreaLink CLinkDlg::Link() const {
    AreaLink link;
    link.href = m_strURL.toStdString();
    link.alt = m_strAlt.toStdString();
    auto& self = const_cast<CLinkDlg&>(*this);
    for (size_t i = 0; i < std::size(kMoreAttributeNames); ++i)
        MoreAttribute(link, i) = self.MoreEdit(i).text().toStdString();
    return link;
}

void CLinkDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The caller fills the fields after construction: select what is there now.
    m_editUrl.setFocus();
    m_editUrl.selectAll();
}

void CLinkDlg::accept() {
    m_strURL = m_editUrl.text();
    m_strAlt = m_editAlt.text();
    QDialog::accept();
}

void CLinkDlg::OnBrowse() {
    FileRequest request;
    request.open = true;
    request.filters = LinkFileFilters();
    request.directory = m_strBrowseFolder.isEmpty() ? QDir::homePath() : m_strBrowseFolder;
    const FileAnswer answer = Prompts().AskFile(nullptr, request);
    if (!answer.accepted) return;
    const std::string path = QDir::toNativeSeparators(answer.path).toStdString();
    m_editUrl.setText(QString::fromStdString(LinkTextForPath(GetBaseDirSetting(), path)));
}

CBaseDirDlg::CBaseDirDlg(QWidget* parent)
    : QDialog(parent), m_strBaseDir(QString::fromStdString(GetBaseDirSetting())) {
    setWindowTitle(QString::fromUtf8("基本フォルダの設定"));
    SetUpButtons(*this, m_ok, m_cancel);
    m_editDir.setText(m_strBaseDir);
    m_browse.setText(QString::fromUtf8(kBrowse));
    m_browse.setAutoDefault(true);
    connect(&m_browse, &QPushButton::clicked, this, &CBaseDirDlg::OnBrowse);
    m_label.setText(
        QString::fromUtf8("基本フォルダを設定しておけば、リンク領域を設定した時にURLが自動的に相対"
                          "パスに変換されます。"));
    m_label.setWordWrap(true);

    auto* grid = new QGridLayout(this);  // owned by the dialog
    grid->addWidget(&m_editDir, 0, 0);
    grid->addWidget(&m_browse, 0, 1);
    grid->addWidget(&m_label, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;  // owned by the grid
    buttons->addStretch(1);
    buttons->addWidget(&m_ok);
    buttons->addWidget(&m_cancel);
    buttons->addStretch(1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    m_editDir.setMinimumWidth(fontMetrics().averageCharWidth() * 36);
    m_label.setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    SetUpFrame(*this);
    setTabOrder(&m_ok, &m_cancel);
    setTabOrder(&m_cancel, &m_editDir);
    setTabOrder(&m_editDir, &m_browse);
    m_ok.setFocus();
}

void CBaseDirDlg::accept() {
    m_strBaseDir = m_editDir.text();
    SetBaseDirSetting(m_strBaseDir.toStdString());
    QDialog::accept();
}

void CBaseDirDlg::OnBrowse() {
    const QString folder =
        Prompts().AskFolder(this, QString::fromUtf8("フォルダの選択"), FolderBrowseStart());
    if (folder.isNull()) return;
    m_editDir.setText(QDir::toNativeSeparators(folder));
}
