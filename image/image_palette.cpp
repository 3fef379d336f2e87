// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/image_palette.h"

#include <cstddef>
#include <limits>

int CImagePalette::Create(int n, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                          uint8_t flags) {
    if (IsCreated() || n < 1 || n > kMaxEntries || !red || !green || !blue) return 0;
    m_entries.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) m_entries[i] = {red[i], green[i], blue[i], flags};
    return 1;
}

int CImagePalette::CreateFromEntries(std::vector<PaletteEntry> entries) {
    if (IsCreated() || entries.empty() || entries.size() > kMaxEntries) return 0;
    m_entries = std::move(entries);
    return 1;
}

int CImagePalette::GetEntryRGB(int index, uint8_t* red, uint8_t* green, uint8_t* blue) const {
    if (index < 0 || index >= GetEntryCount()) return 0;
    const PaletteEntry& e = m_entries[static_cast<size_t>(index)];
    if (red) *red = e.red;
    if (green) *green = e.green;
    if (blue) *blue = e.blue;
    return 1;
}

int CImagePalette::GetNearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) const {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < GetEntryCount(); ++i) {
        const PaletteEntry& e = m_entries[static_cast<size_t>(i)];
        const int dr = e.red - red, dg = e.green - green, db = e.blue - blue;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}
