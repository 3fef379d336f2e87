// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture's palette: up to 256 colours. Stands in for the platform palette
// object; nearest-colour lookups follow the platform's rule (smallest squared
// distance, first entry wins a tie).

#include <cstdint>
#include <vector>

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

class CImagePalette {
public:
    static constexpr int kMaxEntries = 256;

    CImagePalette() = default;

    // Creates the palette from n entries given as three arrays. Fails (0) when
    // the palette already holds entries or n is outside 1..256.
    int Create(int n, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
               uint8_t flags = 0);
    // Takes the entries as they are (1..256 of them).
    int CreateFromEntries(std::vector<PaletteEntry> entries);

    bool IsCreated() const { return !m_entries.empty(); }
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // 1 and the colour when 0 <= index < entry count, else 0.
    int GetEntryRGB(int index, uint8_t* red, uint8_t* green, uint8_t* blue) const;
    // The index of the entry nearest to the colour; 0 for an empty palette.
    int GetNearestPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) const;
    const std::vector<PaletteEntry>& GetEntries() const { return m_entries; }

private:
    std::vector<PaletteEntry> m_entries;
};
