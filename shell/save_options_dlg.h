// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options of a picture format, asked after the Save As name and before
// the write: a quality for JPEG, and for WebP and AVIF a quality or lossless.

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "image/save_options.h"

class QWidget;

class CSaveOptionsDlg : public QDialog {
    Q_OBJECT
public:
    // For a picture type with options (HasSaveOptions).
    CSaveOptionsDlg(int type, QWidget* parent = nullptr);

    ze::SaveOptions Options() const;
    QSpinBox& Quality() { return m_quality; }
    QCheckBox& Lossless() { return m_lossless; }

private:
    QLabel m_label;
    QSpinBox m_quality;
    QCheckBox m_lossless;
    QPushButton m_ok;
    QPushButton m_cancel;
};

// Whether the type's writer takes options: JPEG, WebP, AVIF.
bool HasSaveOptions(int type);
// Asks for the options of `type` through the prompt seam; true with them in
// *options (left as they are for a type without options), false when the
// user cancels.
bool AskSaveOptions(QWidget* parent, int type, ze::SaveOptions* options);
