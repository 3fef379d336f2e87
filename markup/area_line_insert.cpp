// SPDX-License-Identifier: GPL-3.0-or-later
#include "markup/area_line_insert.h"

#include <algorithm>

#include "markup/area_model.h"

void CAreaLineInserter::Insert(MarkupPane& pane, const std::string& line,
                               const MarkupSettings& settings) {
    const std::string& text = pane.Text();
    TextEdit edit;
    // Upper case rewrites the whole text anyway; the lower-case
    // search needs to look only from where a closing tag can begin.
    if (!settings.upperCase && m_known && m_revision == pane.Revision() && m_from <= text.size()) {
        edit = InsertAreaLineEdit(text.substr(m_from), line, settings);
        edit.begin += m_from;
    } else {
        edit = InsertAreaLineEdit(text, line, settings);
    }
    pane.ApplyEdit(edit);
    // The bytes before the edit are as they were; with upper case off no
    // closing tag began among them, nor can one that reaches into the edit.
    m_from = edit.begin >= 5 ? edit.begin - 5 : 0;
    m_revision = pane.Revision();
    m_known = !settings.upperCase;
}

void CAreaLineInserter::Learn(const MarkupPane& pane, const std::string& text) {
    m_from = std::min(text.find("</map>"), text.size());
    m_revision = pane.Revision();
    m_known = true;
}
