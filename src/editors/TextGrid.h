#pragma once

#include "editors/GridRect.h"

#include <QByteArray>
#include <vector>

namespace qdv {

// The editable cells of an editor's grid as bytes of the controller's character set. Cells may hold
// more than 16 bytes (a paste is not cut); the tables cut them when they are written.
class TextGrid {
public:
    TextGrid(int columns, int rows);

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    bool Holds(int column, int row) const {
        return column >= 0 && column < m_columns && row >= 0 && row < m_rows;
    }
    const QByteArray& At(int column, int row) const;
    void Set(int column, int row, const QByteArray& text);
    void Clear();
    // The part of `rect` that lies in the grid.
    GridRect Clipped(const GridRect& rect) const;

    bool operator==(const TextGrid&) const = default;

private:
    int m_columns;
    int m_rows;
    std::vector<QByteArray> m_cells; // column by column
};

} // namespace qdv
