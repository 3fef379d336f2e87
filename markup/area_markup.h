// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Area lines: one finished circle, rectangle or polygon becomes one line of
// markup, which goes into the pane text just before the map's closing tag.
// Pure text logic over UTF-8 strings; nothing here draws.

#include <string>
#include <string_view>
#include <vector>

#include "image/zoom_scale.h"

// The most corners a polygon area has: the drawing tool places no more, the
// command line takes no more, and a corner is not added beyond them.
constexpr int kMaxPolygonCorners = 256;

// A point in client pixels of the map view, as the mouse delivered it; also
// used for the view's scroll position.
struct ClientPoint {
    int x = 0;
    int y = 0;
};

// What the user's settings decide about the markup written: tags in upper
// case, and the folder that picture links are written relative to (empty:
// none). The caller reads them; nothing here looks at a settings store.
struct MarkupSettings {
    bool upperCase = false;
    std::string baseDir;
};

// Turns the letters a to z into capitals wherever they stand outside double
// quotes. Every double quote flips the inside-quotes flag, which runs across
// the whole text (lines and tags alike). Bytes of multi-byte UTF-8 characters
// are never ASCII letters, so they pass unchanged.
std::string UpperCaseOutsideQuotes(const std::string& text);
// The same pass, starting from and leaving behind `insideQuotes`, so that two
// pieces passed one after the other come out as one pass over both would.
std::string UpperCaseOutsideQuotes(const std::string& text, bool& insideQuotes);

// `value` as it is written between double quotes: every '"' becomes
// "&quot;" and nothing else changes, so a reference the user typed, such as
// "&amp;", stays as typed.
std::string QuoteAttributeValue(std::string_view value);

// At actual and double size: client / zoom + scroll / zoom, each quotient
// truncated toward zero on its own. At any other scale the picture pixel
// under the view pixel client + scroll (ZoomScale::ToPicture).
int ToPictureCoord(int client, int scroll, ZoomScale zoom);

// <area shape="circle" coords="CX,CY,R" alt="ALT" href="HREF">: the centre is
// the anchor converted, the radius the client distance from anchor to end,
// truncated, then divided by the zoom (truncated again). Texts go through QuoteAttributeValue.
std::string FormatCircleArea(ClientPoint anchor, ClientPoint end, ClientPoint scroll,
                             ZoomScale zoom, const std::string& alt, const std::string& href);
// <area shape="rect" coords="AX,AY,EX,EY" alt="ALT" href="HREF">, the corners
// in drag order, neither sorted nor clamped.
std::string FormatRectArea(ClientPoint anchor, ClientPoint end, ClientPoint scroll, ZoomScale zoom,
                           const std::string& alt, const std::string& href);
// <area shape="poly" coords="X1,Y1,X2,Y2,..." alt="ALT" href="HREF">, the
// vertices in the order clicked (the view gives 2 to kMaxPolygonCorners), the first one not
// repeated. No length limit.
std::string FormatPolyArea(const std::vector<ClientPoint>& vertices, ClientPoint scroll,
                           ZoomScale zoom, const std::string& alt, const std::string& href);

// The pane text with `line` inserted. The search is for the first "</MAP>"
// (upper case on) or "</map>" (off), case-sensitive. When found, the line
// and CR LF go in front of it, the tag is written as "</map>" and everything
// after it is kept; when missing, the line, CR LF and "</map>" go at the very
// end. With upper case on the whole result is then upper-cased outside
// quotes.
std::string InsertAreaLine(const std::string& text, const std::string& line,
                           const MarkupSettings& settings);
