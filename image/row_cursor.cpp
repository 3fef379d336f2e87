// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/row_cursor.h"

#include <algorithm>
#include <cstring>

#include "image/pixel_store.h"

CRowCursor::CRowCursor(PixelStore& pixels) : m_pRow(pixels.imageBits), m_impl(pixels) {}

void CRowCursor::ResetToTop() {
    if (!m_impl.imageBits || m_impl.imageHeight <= 0) return;
    m_nRow = m_impl.imageHeight - 1;
    m_pRow = m_impl.PixelAddress(0, m_nRow);
}

bool CRowCursor::NextRow() {
    if (m_nRow - 1 < 0) {
        m_nRow = -1;
        return false;
    }
    --m_nRow;
    m_pRow -= m_impl.rowBytes;
    return true;
}

void CRowCursor::SeekRow(int r) {
    if (r < 0 || r >= m_impl.imageHeight || !m_impl.imageBits) return;
    m_nRow = r;
    m_pRow = m_impl.PixelAddress(0, r);
}

bool CRowCursor::IsOnImage() const {
    return m_impl.IsInside(m_nColumn, m_nRow) != 0;
}

void CRowCursor::PutRow(const uint8_t* source, int n) {
    if (!IsOnImage() || !source) return;
    if (n < 0) n = m_impl.imageWidth;
    std::memcpy(m_pRow, source, static_cast<size_t>(std::min(n, m_impl.rowBytes)));
}

void CRowCursor::GetRow(uint8_t* target, int n) const {
    if (!IsOnImage() || !target) return;
    if (n < 0) n = m_impl.imageWidth;
    std::memcpy(target, m_pRow, static_cast<size_t>(std::min(n, m_impl.rowBytes)));
}
