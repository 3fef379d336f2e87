// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/markup_edit.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

CMarkupEdit::CMarkupEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    // The bar decides the size; the pane may become as small as the bar.
    setMinimumSize(1, 1);
}

namespace {
bool CarriesFiles(const QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return true;
    return false;
}
}  // namespace

void CMarkupEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (CarriesFiles(event)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void CMarkupEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (CarriesFiles(event)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void CMarkupEdit::dropEvent(QDropEvent* event) {
    if (CarriesFiles(event)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

QString PaneToEditorText(const std::string& text) {
    QString in = QString::fromStdString(text);
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < in.size() && in[i + 1] == QLatin1Char('\n')) ++i;
            out += QLatin1Char('\n');
        } else {
            out += c;
        }
    }
    return out;
}

std::string EditorRawToPaneText(const QString& raw) {
    QString out;
    out.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QLatin1Char('\n')) {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out.toStdString();
}

namespace {
// Editor positions taken by the bytes [begin, end) of pane text: one per
// UTF-16 unit, one per CR LF. A range that ends between CR and LF leaves
// that line break out.
int64_t PositionsIn(const std::string& text, size_t begin, size_t end) {
    int64_t n = 0;
    for (size_t i = begin; i < end; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            if (i + 1 < end) ++n;
            ++i;
        } else if ((b & 0xC0) != 0x80) {
            n += b >= 0xF0 ? 2 : 1;  // four bytes: a surrogate pair
        }
    }
    return n;
}
}  // namespace

PlainTextMarkupPane::PlainTextMarkupPane(QPlainTextEdit& edit) : m_edit(edit) {
    m_watch = QObject::connect(m_edit.document(), &QTextDocument::contentsChange, &m_edit,
                               [this](int, int, int) {
                                   ++m_revision;
                                   if (!m_applying) m_stale = true;
                               });
}

PlainTextMarkupPane::~PlainTextMarkupPane() {
    QObject::disconnect(m_watch);
}

void PlainTextMarkupPane::SetWindowText(const std::string& text) {
    // setPlainText also empties the undo history: a new text starts afresh.
    m_edit.setPlainText(PaneToEditorText(text));
    // Setting the whole text is a change like any other; whoever fills the
    // pane with a file's text marks it unchanged afterwards.
    m_edit.document()->setModified(true);
}

void PlainTextMarkupPane::ReplaceSel(const std::string& text, bool canUndo) {
    QTextDocument* doc = m_edit.document();
    QTextCursor cursor = m_edit.textCursor();
    if (!canUndo) doc->setUndoRedoEnabled(false);
    cursor.insertText(PaneToEditorText(text));
    if (!canUndo) doc->setUndoRedoEnabled(true);
    m_edit.setTextCursor(cursor);
}

const std::string& PlainTextMarkupPane::Text() const {
    if (m_stale) {
        m_text = EditorRawToPaneText(m_edit.document()->toRawText());
        m_stale = false;
    }
    return m_text;
}

std::string PlainTextMarkupPane::GetWindowText() const {
    return Text();
}

int PlainTextMarkupPane::PositionOfByte(size_t offset) const {
    const std::string& text = Text();
    offset = std::min(offset, text.size());
    // Counted from the nearer end: an edit near the end of a long text (a
    // new area line) costs as little as one near its start.
    const int64_t last = m_edit.document()->characterCount() - 1;
    // Between CR and LF counts as the line break's own position.
    const int64_t position = offset <= text.size() / 2
                                 ? PositionsIn(text, 0, offset)
                                 : last - PositionsIn(text, offset, text.size());
    return static_cast<int>(std::clamp<int64_t>(position, 0, last));
}

size_t PlainTextMarkupPane::ByteOfPosition(int position) const {
    const std::string& text = Text();
    int64_t left = std::max(position, 0);
    size_t i = 0;
    while (i < text.size() && left > 0) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i += 2;
            --left;
            continue;
        }
        const size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        left -= b >= 0xF0 ? 2 : 1;
        i = std::min(text.size(), i + length);
    }
    return i;
}

void PlainTextMarkupPane::ApplyEdit(const TextEdit& edit) {
    const std::string& text = Text();
    const size_t begin = std::min(edit.begin, text.size());
    const size_t end = begin + std::min(edit.removed, text.size() - begin);
    const int from = PositionOfByte(begin), to = PositionOfByte(end);
    const QString inserted = PaneToEditorText(edit.inserted);
    // The pane text the editor will give back for these bytes.
    const std::string normal = EditorRawToPaneText(inserted);
    // A range starting or ending inside a CR LF changes the line break as a
    // whole: the cache is read afresh.
    const auto splits = [&](size_t at) {
        return at > 0 && at < text.size() && text[at - 1] == '\r' && text[at] == '\n';
    };
    const bool exact = !splits(begin) && !splits(end);

    QTextCursor cursor(m_edit.document());
    m_applying = true;
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(inserted);
    cursor.endEditBlock();
    m_applying = false;
    if (exact && !m_stale)
        m_text.replace(begin, end - begin, normal);
    else
        m_stale = true;
}

size_t PlainTextMarkupPane::GetCaret() const {
    return ByteOfPosition(m_edit.textCursor().position());
}

void PlainTextMarkupPane::ShowRange(size_t begin, size_t end, bool moveCaret) {
    QList<QTextEdit::ExtraSelection> marks;
    if (begin != TextRange::npos) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(m_edit.document());
        mark.cursor.setPosition(PositionOfByte(begin));
        mark.cursor.setPosition(PositionOfByte(end), QTextCursor::KeepAnchor);
        mark.format.setBackground(m_edit.palette().color(QPalette::Highlight).lighter(160));
        marks << mark;
    }
    if (begin != TextRange::npos && moveCaret) {
        QTextCursor caret = m_edit.textCursor();
        caret.setPosition(PositionOfByte(begin));
        m_edit.setTextCursor(caret);
        m_edit.ensureCursorVisible();
    }
    m_edit.setExtraSelections(marks);
}
