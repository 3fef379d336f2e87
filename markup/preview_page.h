#pragma once
// The page that "check in a browser" shows: the picture at its size with
// the pane's map, an outline drawn over the area under the mouse and that
// area's href shown below the picture. For tests it also writes, once the
// page has loaded, what the browser made of it into <pre id="ze-check">:
// "picture WxH" (or "picture missing") and one "area SHAPE COORDS HREF"
// line per area of the map.

#include <string>

// The page, UTF-8. `pictureUrl` is where the browser finds the picture.
// The pane's first <img> tag is left out (its src is relative to the
// user's site, not to where the page is written); the rest of the pane
// text goes in as it is. False when the pane has no <map>.
bool MakePreviewPage(const std::string& pictureUrl, int width, int height,
                     const std::string& paneText, std::string* page);
