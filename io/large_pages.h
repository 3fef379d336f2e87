// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Buffers of tens of megabytes, written the first time, spend most of that
// time taking in memory 4 KB at a time; where the system offers larger
// pages, such a buffer asks for them.

#include <cstddef>

namespace ze {

// Asks for large pages for the whole 2 MB pages inside [data, data + bytes);
// does nothing for smaller buffers or where the system has no such request.
void AdviseLargePages(void* data, size_t bytes);

}  // namespace ze
