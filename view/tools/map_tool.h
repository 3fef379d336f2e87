// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map view's tools: each turns the mouse and keys over the picture into
// areas or edits of the pane. A tool reaches the view only through
// CToolContext (where the picture shows, the link prompt, the pane's text,
// repaints); it never sees the window. The view hands each event to the
// current tool.

#include <QKeyCombination>
#include <QPoint>
#include <QPolygon>
#include <QString>
#include <memory>
#include <span>
#include <string>

#include "markup/area_attributes.h"
#include "view/tools/tool_ids.h"
#include "view/view_mapping.h"

class CImage;
class CAreaContext;
class CMapTool;
class CToolContext;
class QPainter;
class QWidget;

// One row of the tool table, held by the tool's own file: everything the
// window shows of the tool, and how the tool is made.
struct ToolDescriptor {
    int id;                     // tool_id
    int command;                // the window's command that takes it up
    const char* text;           // its menu item, the mnemonic after &
    const char* prompt;         // the status bar while the item is hovered
    const char* tooltip;        // its toolbar button's tip
    QKeyCombination key;        // takes the tool up while the view has the focus
    void (*icon)(QPainter& p);  // draws its toolbar icon (view/tools/tool_icon.h)
    std::unique_ptr<CMapTool> (*make)(CToolContext& context, CAreaContext& areas);
};
// Every tool, in id order (the order of the view's context menu).
std::span<const ToolDescriptor* const> MapTools();
// The tool that `key` takes up; null for none.
const ToolDescriptor* ToolForKey(QKeyCombination key);
// The tool's menu item: its text, a tab and its key.
QString ToolMenuText(const ToolDescriptor& tool);

// What a tool draws over the picture, exclusive-or with white, in client
// pixels.
struct ToolOutline {
    enum Kind { kNone, kCircle, kLines } kind = kNone;
    QPoint centre;  // circle
    int radius = 0;
    QPolygon points;      // lines: a polyline through these points,
    bool closed = false;  // back to the first one when closed
};

class CToolContext {
public:
    virtual ~CToolContext() = default;
    // Picture coordinates to client points at the present scroll and zoom.
    virtual AreaMapping Mapping() const = 0;
    // The picture, null without one.
    virtual const CImage* Picture() const = 0;
    // Picture bounds on the client point: x = W and y = H still count.
    virtual bool IsInsidePicture(QPoint client) const = 0;
    // Whether a client point lies inside the view's window.
    virtual bool InWindow(QPoint client) const = 0;
    // Asks for a new area's link, its alternative text and the optional
    // attributes; false when cancelled.
    virtual bool AskLink(AreaLink* link) = 0;
    // What a tool's own dialog (a long trace's progress) opens over; may be
    // null.
    virtual QWidget* DialogParent() = 0;
    // Puts an area line into the pane's text, with the optional attributes
    // of `link` that have a value.
    virtual void InsertLine(const std::string& line, const AreaLink& link) = 0;
    // The tool's outline was `before`: what differs from now is painted again.
    virtual void UpdateOutline(const ToolOutline& before) = 0;
    // The whole window is painted again.
    virtual void RepaintAll() = 0;
    // The keyboard modifiers held at the event being handled: Shift keeps a
    // shape square or an edge at 45 degrees, adds to a selection; Alt
    // cycles through overlapping areas.
    virtual Qt::KeyboardModifiers Modifiers() const { return Qt::NoModifier; }
    // The grid that placed points snap to, in picture pixels; 0: none.
    virtual int GridSpacing() const { return 0; }
};

// The client point of the grid point nearest to `client` that lies on the
// picture (x = W and y = H still count); `client` itself without a grid or
// a picture.
QPoint SnapClient(const CToolContext& context, QPoint client);
// The picture pixel a click at `client` places: that grid point when the
// grid is on, else the pixel under it.
QPoint SnapPicture(const CToolContext& context, QPoint client);
// The point a click at `client` places, on its grid point when the grid is
// on. Where a constraint moved the point to `shown` (a client point other
// than the snapped one), that point is placed as it is.
PlacedPoint SnapPlace(const CToolContext& context, QPoint client, QPoint shown);
// Whether the area of these points is written from picture pixels rather
// than client points: when one of them sits on the grid.
bool AnySnapped(const PlacedPoint* points, int count);

class CMapTool {
public:
    virtual ~CMapTool() = default;
    // The left button at a client point.
    virtual void Press(QPoint client) = 0;
    virtual void Move(QPoint /*client*/) {}
    virtual void Release(QPoint /*client*/) {}
    virtual void DoubleClick(QPoint /*client*/) {}
    // A key pressed without modifiers; true when the tool used it.
    virtual bool Key(int /*key*/) { return false; }
    // The mouse left the window.
    virtual void Leave() {}
    // The right button: true when it ended or gave up what is drawn.
    virtual bool RightClick(QPoint /*client*/) { return false; }
    // Esc: gives up what is drawn or dragged; false when there was none.
    virtual bool Cancel() { return false; }
    // What the tool shows over the picture now.
    virtual ToolOutline Outline() const { return {}; }
    // A drag with the button held: the view scrolls by itself at its edges.
    virtual bool ButtonDragging() const { return false; }
    // The view scrolled while the mouse stayed at `client`.
    virtual void Scrolled(QPoint /*client*/) {}
    // Another tool was taken up: what this one was drawing goes.
    virtual void PutDown() {}
    // The tool was chosen, again or anew.
    virtual void TakeUp() {}
};
