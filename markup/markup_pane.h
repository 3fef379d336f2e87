#pragma once
// The markup pane: the one place where the markup text lives. The rest of the
// system reaches it through these three operations. Text is UTF-8 with CR LF
// between lines.

#include <cstddef>
#include <string>

class MarkupPane {
public:
    virtual ~MarkupPane() = default;
    // The whole text becomes `text`.
    virtual void SetWindowText(const std::string& text) = 0;
    // `text` replaces the selection, or goes in at the caret; the caret ends
    // after it. canUndo false: the change cannot be undone.
    virtual void ReplaceSel(const std::string& text, bool canUndo) = 0;
    // The whole text.
    virtual std::string GetWindowText() const = 0;
};

// A pane held in memory, for tests and the command-line tool.
class MemoryMarkupPane : public MarkupPane {
public:
    void SetWindowText(const std::string& text) override;
    void ReplaceSel(const std::string& text, bool canUndo) override;
    std::string GetWindowText() const override { return m_text; }

    // Selection [start, end) in bytes; the caret is `end` when they are equal.
    void SetSel(size_t start, size_t end);
    size_t GetCaret() const { return m_selEnd; }

private:
    std::string m_text;
    size_t m_selStart = 0;
    size_t m_selEnd = 0;
};
