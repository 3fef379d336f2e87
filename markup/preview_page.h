// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page that "check in a browser" shows: the picture at its size with
// the pane's map, an outline drawn over the area under the mouse and that
// area's href shown below the picture. For tests it also writes, once the
// page has loaded, what the browser made of it into <pre id="ze-check">:
// "picture WxH" (or "picture missing") and one "area SHAPE COORDS HREF"
// line per area of the map.

#include <string>
#include <string_view>

#include "markup/responsive_map.h"

// The page, UTF-8. `pictureUrl` is where the browser finds the picture. The
// areas of the pane's first <map> are written anew, each with only its shape,
// coords, href and alt, escaped; nothing else of the pane's text goes in.
// The page's Content-Security-Policy lets in only its own style and script.
// False when the pane has no <map>.
bool MakePreviewPage(const std::string& pictureUrl, int width, int height,
                     const std::string& paneText, std::string* page);

// The page of 伸縮を確認: the pane's first image with a map in `form`
// (MakeResponsiveMarkup's, with `pictureUrl` as its src) in a frame
// `percent` % of the picture's width. Every tag is written anew from what
// the areas mean, under the same policy as above, which lets in only the
// page's and the form's own style and script. False when the pane has no
// image with a map.
bool MakeScaledPreviewPage(const std::string& pictureUrl, PictureSize picture,
                           std::string_view paneText, ResponsiveForm form, int percent,
                           std::string* page);
