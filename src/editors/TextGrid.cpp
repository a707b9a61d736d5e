#include "editors/TextGrid.h"

#include <algorithm>

namespace qdv {

TextGrid::TextGrid(int columns, int rows)
    : m_columns(columns), m_rows(rows), m_cells(static_cast<std::size_t>(columns) * rows) {}

const QByteArray& TextGrid::At(int column, int row) const {
    return m_cells[static_cast<std::size_t>(column) * m_rows + row];
}

void TextGrid::Set(int column, int row, const QByteArray& text) {
    m_cells[static_cast<std::size_t>(column) * m_rows + row] = text;
}

void TextGrid::Clear() {
    std::fill(m_cells.begin(), m_cells.end(), QByteArray());
}

GridRect TextGrid::Clipped(const GridRect& rect) const {
    const int c0 = std::clamp(rect.column, 0, m_columns);
    const int r0 = std::clamp(rect.row, 0, m_rows);
    const int c1 = std::clamp(rect.column + std::max(rect.width, 0), 0, m_columns);
    const int r1 = std::clamp(rect.row + std::max(rect.height, 0), 0, m_rows);
    return {c0, r0, c1 - c0, r1 - r0};
}

} // namespace qdv
