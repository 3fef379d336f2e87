// SPDX-License-Identifier: GPL-3.0-or-later
// The pane's areas, read again after each change, and the selection.

#include "view/map_areas.h"

#include <algorithm>
#include <utility>

#include "document/settings.h"
#include "markup/area_attributes.h"
#include "markup/markup_pane.h"

namespace {

// Whether `value` should be written over an attribute that holds `old`
// (present or not): a new value, or an empty one where none was.
bool Changes(const std::string& value, const std::string& old, bool present) {
    return present ? value != old : !value.empty();
}

}  // namespace

CMapAreas::CMapAreas(CAreaHost& host) : m_host(host) {
    // Edits of the pane come in bursts (typing, pasting): the areas are read
    // once the burst pauses.
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(20);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMapAreas::RefreshAreas);
}

void CMapAreas::OnPaneCaretMoved() {
    m_bCaretMoved = true;
    m_refreshTimer.start();
}

bool CMapAreas::AskLink(AreaLink* link) {
    if (m_areaLinkPrompt) return m_areaLinkPrompt(link);
    // The plain prompt knows only the link and the text.
    std::string url = link->href, alt = link->alt;
    if (!m_linkPrompt || !m_linkPrompt(&url, &alt)) return false;
    *link = AreaLink{};
    link->href = std::move(url);
    link->alt = std::move(alt);
    return true;
}

void CMapAreas::EditAreaLink(int index) {
    if (index < 0 || index >= Count()) return;
    const AreaTag area = Areas()[size_t(index)];
    if (m_areaLinkPrompt) {
        const AreaLink before = AreaLinkOf(AreaText(), area);
        AreaLink after = before;
        if (!m_areaLinkPrompt(&after) || !AreasCurrent()) return;
        const TextEdit edit = SetAreaLinkEdit(AreaText(), area, before, after);
        if (edit.removed || !edit.inserted.empty()) ApplyPaneEdit(edit);
        return;
    }
    std::string url = area.href, alt = area.alt;
    if (!m_linkPrompt || !m_linkPrompt(&url, &alt) || !AreasCurrent()) return;
    // Both values in one edit: one undo step.
    std::string after = AreaText();
    if (Changes(url, area.href, area.hasHref))
        after = ApplyEdit(after, SetAttributeEdit(after, area, "href", url));
    if (Changes(alt, area.alt, area.hasAlt)) {
        const std::vector<AreaTag> areas = ParseAreas(after);
        if (size_t(index) < areas.size())
            after = ApplyEdit(after, SetAttributeEdit(after, areas[size_t(index)], "alt", alt));
    }
    if (after != AreaText()) ApplyPaneEdit(DiffEdit(AreaText(), after));
}

void CMapAreas::InsertLine(const std::string& line, const AreaLink& link) {
    MarkupPane* pane = m_host.Pane();
    if (!pane) return;
    m_inserter.Insert(*pane, WithMoreAttributes(line, link), ReadMarkupSettings());
    // The outlines follow once the burst of changes is over.
    OnPaneChanged();
}

void CMapAreas::RefreshAreas() {
    m_refreshTimer.stop();
    MarkupPane* pane = m_host.Pane();
    std::string text =
        pane && !m_host.PictureSize().isEmpty() ? pane->GetWindowText() : std::string();
    const QSize size = m_host.PictureSize();
    if (text != m_parsedText || size != m_parsedSize) ReadChangedText(std::move(text), size);
    if (!std::exchange(m_bCaretMoved, false)) return;
    if (m_host.Selecting() && !m_host.SelectTool().Busy()) SelectAtCaret();
}

void CMapAreas::ReadChangedText(std::string text, QSize size) {
    MarkupPane* pane = m_host.Pane();
    const QRect selectionBefore = m_host.SelectionBounds();
    // Typing reads again only from the first changed byte on.
    size_t kept = 0;
    const bool samePicture = size == m_parsedSize;
    std::vector<AreaTag> areas = samePicture
                                     ? UpdateAreas(m_overlay.TakeAreas(), m_parsedText, text, &kept)
                                     : ParseAreas(text);
    m_parsedText = std::move(text);
    m_parsedSize = size;
    const QRectF changed = m_overlay.SetAreas(std::move(areas), size, kept);
    if (pane) m_inserter.Learn(*pane, m_parsedText);
    m_host.SelectTool().Forget();
    const std::vector<int> selected = m_selection;
    if (m_nSelected >= m_overlay.Count()) m_nSelected = -1;
    std::erase_if(m_selection, [this](int i) { return i >= m_overlay.Count(); });
    if (pane) {
        // The tag's bytes may have moved: its mark follows.
        const TextRange tag =
            m_nSelected >= 0 ? m_overlay.Areas()[size_t(m_nSelected)].tag : TextRange();
        pane->ShowRange(tag.begin, tag.end, false);
    }
    // Only the outlines the edit changed are painted again: a keystroke
    // in an alt beside thousands of areas repaints none of them.
    if (samePicture) {
        m_host.Repaint(m_host.OutlineBounds(changed));
        if (selectionBefore != m_host.SelectionBounds()) {
            m_host.Repaint(selectionBefore);
            m_host.Repaint(m_host.SelectionBounds());
        }
    } else {
        m_host.RepaintAll();
    }
    m_host.AreasRead();
    NotifySelection(selected);
}

void CMapAreas::SelectAtCaret() {
    MarkupPane* pane = m_host.Pane();
    const size_t caret = pane ? pane->GetCaret() : TextRange::npos;
    if (caret == TextRange::npos) return;
    int found = -1;
    for (int i = 0; i < m_overlay.Count(); ++i) {
        const TextRange& tag = m_overlay.Areas()[size_t(i)].tag;
        if (tag.begin <= caret && caret < tag.end) found = i;
    }
    if (found == m_nSelected && m_selection.size() <= 1) return;
    const QRect before = m_host.SelectionBounds();
    const std::vector<int> selected = m_selection;
    m_nSelected = found;
    m_selection = found >= 0 ? std::vector<int>{found} : std::vector<int>{};
    NotifySelection(selected);
    const TextRange tag = found >= 0 ? m_overlay.Areas()[size_t(found)].tag : TextRange();
    pane->ShowRange(tag.begin, tag.end, false);
    m_host.Repaint(before);
    m_host.Repaint(m_host.SelectionBounds());
}

bool CMapAreas::AreasCurrent() {
    MarkupPane* pane = m_host.Pane();
    if (!pane) return false;
    if (pane->Text() == m_parsedText && m_host.PictureSize() == m_parsedSize) return true;
    RefreshAreas();
    return false;
}

void CMapAreas::SelectArea(int index) {
    SetSelection(index >= 0 ? std::vector<int>{index} : std::vector<int>{}, index);
}

void CMapAreas::SelectAreas(const QList<int>& areas) {
    SetSelection(std::vector<int>(areas.begin(), areas.end()), areas.isEmpty() ? -1 : areas.last());
}

void CMapAreas::NotifySelection(const std::vector<int>& before) {
    if (before != m_selection) emit selectionChanged(SelectedAreas());
}

void CMapAreas::SetSelection(const std::vector<int>& areas, int primary) {
    std::vector<int> chosen;
    for (int i : areas)
        if (i >= 0 && i < m_overlay.Count()) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    int index = std::find(chosen.begin(), chosen.end(), primary) != chosen.end() ? primary
                : chosen.empty()                                                 ? -1
                                                                                 : chosen.back();
    const QRect before = m_host.SelectionBounds();
    const std::vector<int> previous = std::exchange(m_selection, chosen);
    m_nSelected = index;
    m_host.SelectTool().Forget();
    if (MarkupPane* pane = m_host.Pane()) {
        const TextRange tag = index >= 0 ? m_overlay.Areas()[size_t(index)].tag : TextRange();
        pane->ShowRange(tag.begin, tag.end, true);
    }
    // The caret moved by the mark above selects nothing new.
    m_bCaretMoved = false;
    m_host.Repaint(before);
    m_host.Repaint(m_host.SelectionBounds());
    NotifySelection(previous);
}

void CMapAreas::ApplyPaneEdit(const TextEdit& edit) {
    MarkupPane* pane = m_host.Pane();
    if (!pane) return;
    pane->ApplyEdit(edit);
    // Where the edit left the pane's caret selects nothing.
    m_bCaretMoved = false;
    const int selected = m_nSelected;
    const std::vector<int> selection = m_selection;
    RefreshAreas();
    if (selected >= 0 && selected == m_nSelected) SetSelection(selection, selected);
}

std::optional<AreaScene> CMapAreas::Scene(bool current) {
    if (!AreasCurrent() && current) return std::nullopt;
    if (!m_host.Pane() || m_host.PictureSize().isEmpty()) return std::nullopt;
    const QSize size = m_host.PictureSize();
    return AreaScene{m_parsedText, m_overlay.Areas(), m_selection,
                     m_nSelected,  size.width(),      size.height()};
}

void CMapAreas::Apply(const AreaChange& change) {
    if (change.clearFirst) SelectArea(-1);
    if (!change.Empty())
        ApplyPaneEdit(change.edit);
    else if (change.select != AreaChange::Select::kSelectTool)
        return;
    switch (change.select) {
        case AreaChange::Select::kKeep:
            return;
        case AreaChange::Select::kIfSelecting:
            if (!m_host.Selecting()) return;
            break;
        case AreaChange::Select::kSelectTool:
            if (!m_host.Selecting()) m_host.TakeSelectTool();
            break;
    }
    SetSelection(change.selection, change.primary);
}
