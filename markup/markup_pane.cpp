// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/markup_pane.h"

#include <algorithm>
#include <utility>

const std::string& MarkupPane::Text() const {
    m_copy = GetWindowText();
    return m_copy;
}

void MemoryMarkupPane::SetWindowText(const std::string& text) {
    m_text = text;
    ++m_revision;
    // A new text starts with the caret at its beginning and nothing selected.
    m_selStart = m_selEnd = 0;
}

void MemoryMarkupPane::ReplaceSel(const std::string& text, bool /*canUndo*/) {
    // The pane keeps no undo history, so every change is final.
    ++m_revision;
    m_text.replace(m_selStart, m_selEnd - m_selStart, text);
    m_selStart = m_selEnd = m_selStart + text.size();
}

void MemoryMarkupPane::SetSel(size_t start, size_t end) {
    start = std::min(start, m_text.size());
    end = std::min(end, m_text.size());
    if (start > end) std::swap(start, end);
    m_selStart = start;
    m_selEnd = end;
}

void MarkupPane::ApplyEdit(const TextEdit& edit) {
    std::string text = GetWindowText();
    const size_t begin = std::min(edit.begin, text.size());
    text.replace(begin, std::min(edit.removed, text.size() - begin), edit.inserted);
    SetWindowText(text);
}

void MemoryMarkupPane::ApplyEdit(const TextEdit& edit) {
    const size_t begin = std::min(edit.begin, m_text.size());
    const size_t removed = std::min(edit.removed, m_text.size() - begin);
    ++m_revision;
    m_text.replace(begin, removed, edit.inserted);
    const auto follow = [&](size_t& at) {
        if (at >= begin + removed)
            at = at - removed + edit.inserted.size();
        else if (at > begin)
            at = begin;
    };
    follow(m_selStart);
    follow(m_selEnd);
}

void MemoryMarkupPane::ShowRange(size_t begin, size_t end, bool moveCaret) {
    if (begin == TextRange::npos) {
        m_shown = TextRange();
        return;
    }
    m_shown = TextRange{begin, end};
    if (moveCaret) SetSel(begin, begin);
}
