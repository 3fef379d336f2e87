#pragma once
// The markup pane on screen: a plain-text editor with both scroll bars, no
// wrapping, no length limit and no dropped files, and its adapter to the pane interface, which
// speaks CR LF text.

#include <QPlainTextEdit>
#include <QString>
#include <string>

#include "markup/markup_pane.h"

class CMarkupEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CMarkupEdit(QWidget* parent = nullptr);

protected:
    // Files dragged onto the pane are refused (their URLs are no markup);
    // text dragged within it moves as usual.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// Pane text (CR LF, UTF-8) to editor text (one "\n" per line break; a lone
// CR or LF is a line break too).
QString PaneToEditorText(const std::string& text);
// The editor document's raw text (U+2029 between paragraphs, U+2028 for a
// typed line break) to pane text with CR LF. Non-breaking spaces stay.
std::string EditorRawToPaneText(const QString& raw);

class PlainTextMarkupPane : public MarkupPane {
public:
    explicit PlainTextMarkupPane(QPlainTextEdit& edit) : m_edit(edit) {}
    void SetWindowText(const std::string& text) override;
    void ReplaceSel(const std::string& text, bool canUndo) override;
    std::string GetWindowText() const override;

private:
    QPlainTextEdit& m_edit;
};
