// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving markup back into a page that may have changed on disk since it was
// read: what the editor remembers of the page, and where the markup goes
// now. Our image and map are found again by what they are (the image's src
// and the map its usemap names), never by where they stood; when our own
// tag or map changed, or cannot be told apart, the caller asks the user.
//
// Also the image source of markup saved into another folder than its
// picture's.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "markup/area_model.h"
#include "markup/html_page.h"

// The page as it was read or last written, and our image and map in it.
struct PageSnapshot {
    bool known = false;  // false: nothing is remembered of the page
    uint64_t size = 0;
    uint64_t hash = 0;    // of every byte of the page
    size_t index = 0;     // which of its images with a map
    std::string source;   // our image's src, decoded
    std::string mapName;  // the map its usemap names
    std::string image;    // our image tag's bytes
    std::string map;      // our map element's bytes
};

// The snapshot of maps[index] of a page that ReadHtmlPage accepted; an
// unknown one when there is no such entry.
PageSnapshot TakePageSnapshot(std::string_view bytes, const HtmlPage& page, size_t index);

// The snapshot of the page `merged` just written over `bytes` by
// MergeMarkup(bytes, page, index, ...): our entry is the one whose image
// tag stands where ours was written. Unknown when the written markup no
// longer reads as an image with a map there.
PageSnapshot SnapshotAfterMerge(std::string_view bytes, const HtmlPage& page, size_t index,
                                std::string_view merged);

struct PageSavePlan {
    // kOk when our image and map are as remembered (merge into `index`),
    // else kOursChanged, kMapNotFound, kMapSeveral or kUnknownOrigin.
    ze::Status status = ze::StatusCode::kMapNotFound;
    size_t index = 0;  // the entry to merge into; the first candidate with kSeveral
};

// Where markup read as `snapshot` goes in the page now on disk (`bytes`,
// read as `page`). An unchanged page keeps the entry chosen when it was
// read. An unknown snapshot still names the image and map to look for (see
// PaneIdentity).
PageSavePlan PlanPageSave(std::string_view bytes, const HtmlPage& page,
                          const PageSnapshot& snapshot);

// The image and map the pane's markup names: its own image with a map read
// as a page. Unknown when the pane holds none.
PageSnapshot PaneIdentity(std::string_view paneText);

// The decoded src of the pane's first <img> tag; false when there is no
// such tag or it has no src.
bool PaneImageSource(std::string_view paneText, std::string* source);
// The edit that makes `source` the src of the pane's first <img> tag: the
// value replaced in its own quotes (an unquoted value gets double quotes),
// or a src attribute added when it has none. '&' and the quote are written
// as character references. False when the pane has no <img> tag.
bool ImageSourceEdit(std::string_view paneText, std::string_view source, TextEdit* edit);

// FNV-1a over the bytes: a page that reads the same has the same hash.
uint64_t PageHash(std::string_view bytes);
