// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Walks the pixel rows of one store, top of the picture downwards.

#include <cstdint>

class PixelStore;

class CRowCursor {
public:
    explicit CRowCursor(PixelStore& pixels);

    void ResetToTop();
    // One row down the picture; false (address kept) past the bottom row.
    bool NextRow();
    // Moves to pixel-array row r (0 = bottom); other r change nothing.
    void SeekRow(int r);
    bool IsOnImage() const;
    // Copies n bytes (n < 0: imageWidth bytes) to or from the current row,
    // never more than the row holds.
    void PutRow(const uint8_t* source, int n = -1);
    void GetRow(uint8_t* target, int n = -1) const;

    int GetRowNumber() const { return m_nRow; }
    uint8_t* GetRowAddress() const { return m_pRow; }

private:
    int m_nColumn = 0;
    int m_nRow = 0;
    uint8_t* m_pRow = nullptr;
    PixelStore& m_impl;
};
