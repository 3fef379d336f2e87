// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/save_options_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "image/image_types.h"
#include "shell/prompts.h"

namespace {
QString U(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

bool HasSaveOptions(int type) {
    const PictureTypeInfo* format = FindPictureType(type);
    return format && format->quality;
}

CSaveOptionsDlg::CSaveOptionsDlg(int type, QWidget* parent) : QDialog(parent) {
    const bool jpeg = type == kImageJpeg;
    setWindowTitle(jpeg                 ? U("JPEG の保存")
                   : type == kImageWebp ? U("WebP の保存")
                                        : U("AVIF の保存"));
    m_label.setText(U("画質 (&Q)："));
    m_label.setBuddy(&m_quality);
    m_quality.setObjectName(QStringLiteral("quality"));
    m_quality.setRange(1, 100);
    m_quality.setValue(jpeg ? ze::kJpegDefaultQuality : ze::kLossyDefaultQuality);
    m_lossless.setObjectName(QStringLiteral("lossless"));
    m_lossless.setText(U("ロスレス (画素をそのまま残す) (&L)"));
    const PictureTypeInfo* format = FindPictureType(type);
    m_lossless.setVisible(format && format->lossless);
    connect(&m_lossless, &QCheckBox::toggled, &m_quality, &QSpinBox::setDisabled);
    m_ok.setText(QStringLiteral("OK"));
    m_ok.setDefault(true);
    m_cancel.setText(U("ｷｬﾝｾﾙ"));
    connect(&m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(&m_label, 0, 0);
    grid->addWidget(&m_quality, 0, 1);
    grid->addWidget(&m_lossless, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(&m_ok);
    buttons->addWidget(&m_cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

ze::SaveOptions CSaveOptionsDlg::Options() const {
    ze::SaveOptions options;
    options.lossless = !m_lossless.isHidden() && m_lossless.isChecked();
    if (!options.lossless) options.quality = m_quality.value();
    return options;
}

bool AskSaveOptions(QWidget* parent, int type, ze::SaveOptions* options) {
    if (!HasSaveOptions(type)) return true;
    CSaveOptionsDlg dialog(type, parent);
    if (Prompts().RunDialog(dialog) != QDialog::Accepted) return false;
    *options = dialog.Options();
    return true;
}
