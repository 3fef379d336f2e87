// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HTML pages that hold an image map: find each <img> with a usemap and the
// <map> it names, take the markup out for the pane, and put the pane's
// markup back in. The page is read as bytes and treated as hostile: any
// input gives an answer in one linear pass, nothing is allocated beyond a
// few copies of the page.
//
// The pane text of a page is the image's tag, CR LF, and the map element
// from "<map" through "</map>", both converted to UTF-8 with CR LF line
// breaks. Putting it back replaces exactly those two byte ranges; what is
// unchanged keeps its bytes, down to the characters of a changed line, and
// only changed characters are written in the page's encoding and line
// breaks.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "io/status.h"
#include "markup/text_encoding.h"

using PageEncoding = ze::CodePage;

// The reading's limit: larger pages are refused before they are scanned.
// The editor's pane takes no more than a person edits: the image tag and its
// map together (counted in the page's bytes and line breaks) within the pane
// limits, so that laying out and editing them stays quick.
struct PageLimits {
    size_t maxBytes = size_t{64} << 20;
    size_t maxPaneBytes = size_t{1} << 20;
    size_t maxPaneLines = 25000;
    size_t maxPaneLineBytes = size_t{16} << 10;
};

// One byte range [begin, end) of the page.
struct ByteSpan {
    size_t begin = 0;
    size_t end = 0;
};

// An image with a usemap and the map it names.
struct PageImageMap {
    ByteSpan image;      // "<img" through its '>'
    ByteSpan map;        // "<map" through the '>' of its "</map>"
    std::string source;  // the src value in UTF-8, character references decoded
    std::string mapName;
    int line = 1;  // 1-based line of the image's tag
};

struct HtmlPage {
    // kOk, kPageTooLarge, kRefusedEncoding (ISO-2022-KR, HZ: browsers show
    // nothing of them) or kNoImageMap.
    ze::Status status = ze::StatusCode::kNoImageMap;
    PageEncoding encoding = PageEncoding::kUtf8;
    size_t bomLength = 0;            // of the byte order mark the page starts with; 0: none
    std::string declaredCharset;     // the <meta> charset label that counted, as written
    std::vector<PageImageMap> maps;  // document order of the images
};

// Reads the page: its encoding as a browser finds it (a byte order mark;
// else the first <meta> charset declaration whose label names an encoding,
// where a UTF-16 label reads as UTF-8 and x-user-defined as windows-1252;
// else what the bytes look like: UTF-8, EUC-JP, Shift_JIS, and windows-1252
// for anything else) and every image with a map.
// A usemap names the map after its first '#' (white space included; no '#'
// or nothing after it: no map); the first map in the page whose name or id
// is that text exactly wins. Images and maps inside comments,
// scripts and other raw text or template contents, and maps that are never
// closed, do not count.
HtmlPage ReadHtmlPage(std::string_view bytes, const PageLimits& limits = {});

// The whole page after its byte-order mark as UTF-8, read in the encoding
// ReadHtmlPage found; a byte that is no part of a character becomes U+FFFD.
std::string PageText(std::string_view bytes, const HtmlPage& page);

// Whether maps[index] fits the editor's pane: kOk, kPaneTooLarge or
// kPaneLineTooLong (the text names the default limits).
ze::Status CheckPaneBounds(std::string_view bytes, const HtmlPage& page, size_t index,
                           const PageLimits& limits = {});

// The pane text for maps[index] of a page that ReadHtmlPage accepted.
std::string ExtractMarkup(std::string_view bytes, const HtmlPage& page, size_t index);

// The page with maps[index]'s image tag and map element replaced by the
// pane's: everything before the pane's first "<map" (trailing white space
// dropped) replaces the image tag, the rest (trailing white space dropped)
// the map element. Every other byte of the page stays as it was. kOk, or
// kNoImageTag (no <img> tag before the pane's map) or kNoMapElement (no
// complete <map> ... </map>).
ze::Status MergeMarkup(std::string_view bytes, const HtmlPage& page, size_t index,
                       std::string_view paneText, std::string* out);
