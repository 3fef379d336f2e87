// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// New area lines go into the pane as edits of its text: one undo step each,
// and, while nothing else changes the text, at a cost that does not grow
// with the text before the closing map tag. The text comes out byte for byte
// as InsertAreaLine gives it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "markup/area_markup.h"
#include "markup/markup_pane.h"

class CAreaLineInserter {
public:
    // Inserts `line` as InsertAreaLine would, through one pane edit.
    void Insert(MarkupPane& pane, const std::string& line, const MarkupSettings& settings);
    // `text` is the pane's text at its present revision: the closing tag is
    // found once here, so that the next insertion need not look for it.
    void Learn(const MarkupPane& pane, const std::string& text);

private:
    // No lower-case closing tag begins before byte m_from of the pane text
    // at revision m_revision.
    size_t m_from = 0;
    uint64_t m_revision = 0;
    bool m_known = false;
};
