// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pane's areas as a map view shows them: read again after each change
// of the pane text (once for a burst of changes), the selection, and every
// edit going back as one edit of the pane text, one step of its undo
// history. What it needs of the view (where things show, repaints, the
// tool in use) comes through CAreaHost.

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "markup/area_commands.h"
#include "markup/area_line_insert.h"
#include "view/area_overlay.h"
#include "view/tools/select_tool.h"

class MarkupPane;

class CAreaHost {
public:
    virtual ~CAreaHost() = default;
    virtual MarkupPane* Pane() const = 0;
    // The picture's size; empty without a picture.
    virtual QSize PictureSize() const = 0;
    virtual int AreaAt(QPoint client) const = 0;
    virtual QRect SelectionBounds() const = 0;
    // The client rectangle to paint again for outlines changed within
    // `picture` (picture coordinates).
    virtual QRect OutlineBounds(const QRectF& picture) const = 0;
    virtual void Repaint(const QRect& client) = 0;
    virtual void RepaintAll() = 0;
    virtual CSelectTool& SelectTool() const = 0;
    // Whether the selection tool is in use, and taking it up.
    virtual bool Selecting() const = 0;
    virtual void TakeSelectTool() = 0;
    // The areas were read anew: what shows of them under the mouse follows.
    virtual void AreasRead() = 0;
};

class CMapAreas : public QObject, public CAreaContext {
    Q_OBJECT
public:
    explicit CMapAreas(CAreaHost& host);

    // Asks for the link target and the alternative text of an area, the
    // fields filled with what `url` and `alt` hold; false when the user
    // cancels. Unset: every area is given up as if cancelled.
    using LinkPrompt = std::function<bool(std::string* url, std::string* alt)>;
    void SetLinkPrompt(LinkPrompt prompt) {
        m_linkPrompt = std::move(prompt);
        m_areaLinkPrompt = nullptr;
    }
    // The same with every field of the link dialog: a new area gets the
    // optional attributes given a value, an edited one what was changed.
    // Setting one prompt drops the other.
    using AreaLinkPrompt = std::function<bool(AreaLink* link)>;
    void SetAreaLinkPrompt(AreaLinkPrompt prompt) {
        m_areaLinkPrompt = std::move(prompt);
        m_linkPrompt = nullptr;
    }
    // Asks for a new area's link with the prompt set; false when cancelled.
    bool AskLink(AreaLink* link);

    const CAreaOverlay& Overlay() const { return m_overlay; }
    int Count() const { return m_overlay.Count(); }
    const std::vector<AreaTag>& Areas() const override { return m_overlay.Areas(); }
    const std::string& AreaText() const override { return m_parsedText; }
    int SelectedArea() const override { return m_nSelected; }
    // Selects area `index` (-1: none) and marks its tag in the pane.
    void SelectArea(int index) override;
    // Several areas selected at once (indices in document order, 0-based);
    // the last one given is the one whose handles show and whose tag the
    // pane marks.
    void SelectAreas(const QList<int>& areas);
    QList<int> SelectedAreas() const { return QList<int>(m_selection.begin(), m_selection.end()); }
    std::vector<int> Selection() const override { return m_selection; }
    void SetSelection(const std::vector<int>& areas, int primary) override;
    // True when the areas were read from the pane's present text; otherwise
    // they are read again (and a drag given up) and the answer is false, so
    // that no edit is made from stale offsets.
    bool AreasCurrent() override;
    QSize PictureSize() const override { return m_host.PictureSize(); }
    int AreaAt(QPoint client) const override { return m_host.AreaAt(client); }
    // Asks for area `index`'s link and writes what was changed, one edit.
    void EditAreaLink(int index) override;
    // Applies an edit of the pane as one undo step and reads the areas again.
    void ApplyPaneEdit(const TextEdit& edit) override;
    QRect SelectionBounds() const override { return m_host.SelectionBounds(); }
    void Repaint(const QRect& client) override { m_host.Repaint(client); }

    // The areas as read from the pane's text now, for a command (see
    // CMapView::Scene), and a command's outcome applied.
    std::optional<AreaScene> Scene(bool current);
    void Apply(const AreaChange& change);
    // Puts a new area's line into the pane's text.
    void InsertLine(const std::string& line, const AreaLink& link);

    // The pane text or its caret changed: the areas are read again shortly.
    void OnPaneChanged() { m_refreshTimer.start(); }
    void OnPaneCaretMoved();
    // Reads the pane text now if it changed since the last read.
    void RefreshAreas();

signals:
    void selectionChanged(const QList<int>& areas);

private:
    // The areas read anew from a changed text, the changed outlines
    // repainted.
    void ReadChangedText(std::string text, QSize size);
    // The caret inside a tag selects its area; elsewhere, none.
    void SelectAtCaret();
    // Tells the world when the selection differs from `before`.
    void NotifySelection(const std::vector<int>& before);

    CAreaHost& m_host;
    LinkPrompt m_linkPrompt;
    AreaLinkPrompt m_areaLinkPrompt;
    CAreaOverlay m_overlay;
    std::string m_parsedText;  // the pane text the overlay was read from
    QSize m_parsedSize;        // and the picture size it was laid out for
    QTimer m_refreshTimer;
    CAreaLineInserter m_inserter;
    bool m_bCaretMoved = false;
    int m_nSelected = -1;          // the area whose handles show
    std::vector<int> m_selection;  // every area selected, in order
};
