// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An image and its map in forms that a browser scales with the picture, for
// pages whose CSS shows the picture at another size than its own:
// - an SVG overlay: the image at 100 % of its container and an inline
//   <svg viewBox="0 0 W H"> laid over it. SVG picks the shape drawn last and
//   the map the first area, so the shapes that take the pointer are drawn
//   in reverse map order (default areas below all others), and the links
//   for the keyboard and screen readers, named as the areas are, follow in
//   the map's order with shapes that only show the focus ring.
// - a scaling map: the image tag (with width and height) and the map with
//   its areas, each area's coordinates kept in data-coords, and a short
//   inline script that rescales every area from the picture's own size to
//   the size shown, on load, on resize and when a hidden image is shown.
// Both write every tag anew from the attributes they know (an image's src,
// alt, title, class, id, its size and usemap; an area's link, shape and
// names), so that nothing of a page's own script or style comes along.
// Numbers too large to draw are brought within the picture's frame or the
// area is left out, with a comment saying so.
// Pure text logic over UTF-8.

#include <string>
#include <string_view>

#include "markup/map_check.h"

enum class ResponsiveForm { kSvg, kScalingMap };

// The image with a map of `text` (the pane's text or a page; `image`: which
// of them, 0 the first) in the given form, its picture `picture` in size,
// with the text's line breaks. False when the text has no such image or
// the size is not known. With `source`, the image's src is that instead of
// the text's.
bool MakeResponsiveMarkup(std::string_view text, PictureSize picture, ResponsiveForm form,
                          std::string* out, const std::string* source = nullptr, size_t image = 0);

// What a Content-Security-Policy lists to let in the styles (in style-src)
// and the script (in script-src) that the two forms write, when their line
// breaks are "\n", and nothing else.
const char* ResponsivePolicySources();
const char* ResponsiveScriptSource();
