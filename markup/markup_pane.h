// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The markup pane: the one place where the markup text lives. The rest of the
// system reaches it through these operations. Text is UTF-8 with CR LF
// between lines.

#include <cstddef>
#include <cstdint>
#include <string>

#include "markup/area_model.h"

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
    // The whole text without a copy, valid until the next change or call.
    virtual const std::string& Text() const;
    // A number that differs after every change of the text. The default
    // knows no changes and answers a new number at every call.
    virtual uint64_t Revision() const { return ++m_calls; }
    // Replaces the bytes [edit.begin, edit.begin + edit.removed) with
    // edit.inserted as one step of the pane's undo history. Offsets beyond
    // the text are clamped to its end. The default replaces the whole text.
    virtual void ApplyEdit(const TextEdit& edit);
    // The caret's byte offset; TextRange::npos when the pane does not say.
    virtual size_t GetCaret() const { return TextRange::npos; }
    // Marks the bytes [begin, end) as the selected area's tag and, with
    // `moveCaret`, puts the caret at `begin` and brings it into sight;
    // begin == npos takes the mark away.
    virtual void ShowRange(size_t /*begin*/, size_t /*end*/, bool /*moveCaret*/) {}

private:
    mutable std::string m_copy;
    mutable uint64_t m_calls = 0;
};

// A pane held in memory, for tests and the command-line tool.
class MemoryMarkupPane : public MarkupPane {
public:
    void SetWindowText(const std::string& text) override;
    void ReplaceSel(const std::string& text, bool canUndo) override;
    std::string GetWindowText() const override { return m_text; }
    const std::string& Text() const override { return m_text; }
    uint64_t Revision() const override { return m_revision; }
    // A caret or selection end behind the edited bytes moves with them.
    void ApplyEdit(const TextEdit& edit) override;

    // Selection [start, end) in bytes; the caret is `end` when they are equal.
    void SetSel(size_t start, size_t end);
    size_t GetCaret() const override { return m_selEnd; }
    void ShowRange(size_t begin, size_t end, bool moveCaret) override;
    // The range last marked by ShowRange (absent when none is).
    TextRange Shown() const { return m_shown; }

private:
    std::string m_text;
    size_t m_selStart = 0;
    size_t m_selEnd = 0;
    TextRange m_shown;
    uint64_t m_revision = 0;
};
