#include "shell/markup_edit.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

CMarkupEdit::CMarkupEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMaximumBlockCount(0);
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

void PlainTextMarkupPane::SetWindowText(const std::string& text) {
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

std::string PlainTextMarkupPane::GetWindowText() const {
    return EditorRawToPaneText(m_edit.document()->toRawText());
}
