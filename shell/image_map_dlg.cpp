// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/image_map_dlg.h"

#include <QFormLayout>
#include <QPushButton>
#include <QRegularExpressionValidator>

CImageMapDlg::CImageMapDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("画像とマップの設定"));
    m_name.setObjectName(QStringLiteral("MapName"));
    m_alt.setObjectName(QStringLiteral("ImageAlt"));
    m_width.setObjectName(QStringLiteral("ImageWidth"));
    m_height.setObjectName(QStringLiteral("ImageHeight"));
    // Digits only, at most nine: no size a browser reads overflows.
    const QRegularExpression digits(QStringLiteral("[0-9]{0,9}"));
    for (QLineEdit* size : {&m_width, &m_height}) {
        size->setValidator(new QRegularExpressionValidator(digits, size));
        size->setPlaceholderText(QString::fromUtf8("(指定なし)"));
    }
    m_alt.setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    auto* form = new QFormLayout(this);  // owned by the dialog
    form->addRow(QString::fromUtf8("マップ名(&N):"), &m_name);
    form->addRow(QString::fromUtf8("代替テキスト(&A):"), &m_alt);
    form->addRow(QString::fromUtf8("幅(&W):"), &m_width);
    form->addRow(QString::fromUtf8("高さ(&H):"), &m_height);
    form->addRow(&m_buttons);
    connect(&m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&m_name, &QLineEdit::textChanged, this, &CImageMapDlg::OnEdited);
}

void CImageMapDlg::SetFields(const ImageMapFields& fields, bool hasImage, bool hasMap) {
    m_name.setText(QString::fromStdString(fields.mapName));
    m_alt.setText(QString::fromStdString(fields.alt));
    m_width.setText(QString::fromStdString(fields.width));
    m_height.setText(QString::fromStdString(fields.height));
    m_name.setEnabled(hasMap);
    for (QLineEdit* edit : {&m_alt, &m_width, &m_height}) edit->setEnabled(hasImage);
    (hasMap ? &m_name : &m_alt)->setFocus();
    OnEdited();
}

ImageMapFields CImageMapDlg::Fields() const {
    return {m_name.text().toStdString(), m_alt.text().toStdString(), m_width.text().toStdString(),
            m_height.text().toStdString()};
}

void CImageMapDlg::OnEdited() {
    OkButton().setEnabled(!m_name.isEnabled() || IsValidMapName(m_name.text().toStdString()));
}
