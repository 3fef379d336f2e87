// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 画像とマップの設定: the map's name and the picture's alternative text,
// width and height, edited as fields instead of as markup. OK is offered
// only while the name is one HTML accepts and the sizes are whole numbers
// (or empty, which takes the attribute away).

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>

#include "markup/image_map_tag.h"

class CImageMapDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImageMapDlg(QWidget* parent = nullptr);

    // The fields from `fields`; those of a tag the markup lacks are off.
    void SetFields(const ImageMapFields& fields, bool hasImage, bool hasMap);
    ImageMapFields Fields() const;

    QLineEdit& NameEdit() { return m_name; }
    QLineEdit& AltEdit() { return m_alt; }
    QLineEdit& WidthEdit() { return m_width; }
    QLineEdit& HeightEdit() { return m_height; }
    QPushButton& OkButton() { return *m_buttons.button(QDialogButtonBox::Ok); }

private:
    void OnEdited();

    QLineEdit m_name;
    QLineEdit m_alt;
    QLineEdit m_width;
    QLineEdit m_height;
    QDialogButtonBox m_buttons{QDialogButtonBox::Ok | QDialogButtonBox::Cancel};
};
