#include "markup/markup_pane.h"

#include <algorithm>
#include <utility>

void MemoryMarkupPane::SetWindowText(const std::string& text) {
    m_text = text;
    // A new text starts with the caret at its beginning and nothing selected.
    m_selStart = m_selEnd = 0;
}

void MemoryMarkupPane::ReplaceSel(const std::string& text, bool /*canUndo*/) {
    // The pane keeps no undo history, so every change is final.
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
