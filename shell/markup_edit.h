// SPDX-License-Identifier: GPL-3.0-or-later
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

// Byte offsets of the pane text map to editor positions: every UTF-8
// character is as many positions as it has UTF-16 units, and a CR LF is one.
// The adapter keeps the pane text of the last read or edit, so that edits of
// its own and the reads after them cost nothing in proportion to the text.
class PlainTextMarkupPane : public MarkupPane {
public:
    explicit PlainTextMarkupPane(QPlainTextEdit& edit);
    ~PlainTextMarkupPane() override;
    PlainTextMarkupPane(const PlainTextMarkupPane&) = delete;
    PlainTextMarkupPane& operator=(const PlainTextMarkupPane&) = delete;

    void SetWindowText(const std::string& text) override;
    void ReplaceSel(const std::string& text, bool canUndo) override;
    std::string GetWindowText() const override;
    const std::string& Text() const override;
    uint64_t Revision() const override { return m_revision; }
    // One cursor edit inside one edit block: one undo step.
    void ApplyEdit(const TextEdit& edit) override;
    size_t GetCaret() const override;
    // The tag gets a highlight; the caret may go to its start, scrolled into view.
    void ShowRange(size_t begin, size_t end, bool moveCaret) override;

    // The editor position of a byte offset (clamped to the text), and back.
    int PositionOfByte(size_t offset) const;
    size_t ByteOfPosition(int position) const;

private:
    QPlainTextEdit& m_edit;
    QMetaObject::Connection m_watch;
    mutable std::string m_text;
    mutable bool m_stale = true;
    bool m_applying = false;
    uint64_t m_revision = 0;
};
