#pragma once
// File > 書き出し: the pane's image and map written as an HTML fragment
// that a browser scales with the picture (see markup/responsive_map.h).

#include "markup/responsive_map.h"

class CMapApp;

// Asks for a file name and writes the form there through the safe writer;
// says in a message box why when there is nothing to write or writing fails.
void ExportMap(CMapApp& app, ResponsiveForm form);
