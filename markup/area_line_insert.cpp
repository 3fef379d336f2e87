#include "markup/area_line_insert.h"

#include <algorithm>

#include "markup/area_model.h"
#include "markup/settings.h"

void CAreaLineInserter::Insert(MarkupPane& pane, const std::string& line) {
    const std::string& text = pane.Text();
    TextEdit edit;
    // The upper-case setting rewrites the whole text anyway; the lower-case
    // search needs to look only from where a closing tag can begin.
    if (GetTagSetting() == 0 && m_known && m_revision == pane.Revision() && m_from <= text.size()) {
        edit = InsertAreaLineEdit(text.substr(m_from), line);
        edit.begin += m_from;
    } else {
        edit = InsertAreaLineEdit(text, line);
    }
    pane.ApplyEdit(edit);
    // The bytes before the edit are as they were; with the setting off no
    // closing tag began among them, nor can one that reaches into the edit.
    m_from = edit.begin >= 5 ? edit.begin - 5 : 0;
    m_revision = pane.Revision();
    m_known = GetTagSetting() == 0;
}

void CAreaLineInserter::Learn(const MarkupPane& pane, const std::string& text) {
    m_from = std::min(text.find("</map>"), text.size());
    m_revision = pane.Revision();
    m_known = true;
}
