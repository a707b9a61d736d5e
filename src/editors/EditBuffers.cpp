#include "editors/EditBuffers.h"

#include <algorithm>

namespace qdv {

void EditBuffers::Reset() {
    m_paste.clear();
    m_changes.clear();
    m_canUndo = false;
    m_canRedo = false;
    m_menu = EditMenuState();
}

void EditBuffers::StoreRect(const TextGrid& grid, const GridRect& rect) {
    m_paste.clear();
    const GridRect r = grid.Clipped(rect);
    for (int c = r.column; c < r.column + r.width; ++c) {
        std::vector<QByteArray>& column = m_paste.emplace_back();
        for (int row = r.row; row < r.row + r.height; ++row)
            column.push_back(grid.At(c, row));
    }
}

void EditBuffers::StartChange() {
    m_changes.clear();
    m_canUndo = true;
    m_canRedo = false;
    m_menu.undo = true;
    m_menu.redo = false;
}

void EditBuffers::Copy(const TextGrid& grid, const GridRect& rect) {
    StoreRect(grid, rect);
    m_canUndo = false;
    m_menu.undo = false;
    m_menu.paste = !m_paste.empty();
}

void EditBuffers::CopyText(const QByteArray& text) {
    m_paste = {{text}};
    m_canUndo = false;
    m_menu.undo = false;
    m_menu.paste = true;
}

void EditBuffers::Cut(TextGrid& grid, const GridRect& rect) {
    StoreRect(grid, rect);
    StartChange();
    const GridRect r = grid.Clipped(rect);
    for (int c = r.column; c < r.column + r.width; ++c) {
        for (int row = r.row; row < r.row + r.height; ++row) {
            m_changes.push_back({c, row, grid.At(c, row)});
            grid.Set(c, row, QByteArray());
        }
    }
    m_menu.paste = !m_paste.empty();
}

void EditBuffers::CutInEditor(TextGrid& grid, int column, int row, const QByteArray& remaining) {
    if (!grid.Holds(column, row))
        return;
    m_paste = {{grid.At(column, row)}};
    StartChange();
    m_changes.push_back({column, row, grid.At(column, row)});
    grid.Set(column, row, remaining);
    m_menu.paste = true;
}

GridRect EditBuffers::Paste(TextGrid& grid, int column, int row) {
    if (m_paste.empty())
        return {};
    StartChange();
    int lastColumn = column;
    int lastRow = row;
    const auto written = [&]() -> GridRect {
        if (m_changes.empty())
            return {};
        return {column, row, lastColumn - column + 1, lastRow - row + 1};
    };
    for (int c = 0; c < static_cast<int>(m_paste.size()); ++c) {
        for (int r = 0; r < static_cast<int>(m_paste[c].size()); ++r) {
            if (!grid.Holds(column + c, row + r))
                return written();
            m_changes.push_back({column + c, row + r, grid.At(column + c, row + r)});
            grid.Set(column + c, row + r, m_paste[c][r]);
            lastColumn = std::max(lastColumn, column + c);
            lastRow = std::max(lastRow, row + r);
        }
    }
    return written();
}

GridRect EditBuffers::Exchange(TextGrid& grid) {
    if (m_changes.empty())
        return {};
    int c0 = m_changes.front().column, r0 = m_changes.front().row, c1 = c0, r1 = r0;
    for (Change& change : m_changes) {
        QByteArray current = grid.At(change.column, change.row);
        grid.Set(change.column, change.row, change.text);
        change.text = std::move(current);
        c0 = std::min(c0, change.column);
        r0 = std::min(r0, change.row);
        c1 = std::max(c1, change.column);
        r1 = std::max(r1, change.row);
    }
    return {c0, r0, c1 - c0 + 1, r1 - r0 + 1};
}

GridRect EditBuffers::Undo(TextGrid& grid) {
    if (!m_canUndo)
        return {};
    m_canUndo = false;
    m_canRedo = true;
    m_menu.undo = false;
    m_menu.redo = true;
    return Exchange(grid);
}

GridRect EditBuffers::Redo(TextGrid& grid) {
    if (!m_canRedo)
        return {};
    m_canRedo = false;
    m_canUndo = true;
    m_menu.redo = false;
    m_menu.undo = true;
    return Exchange(grid);
}

} // namespace qdv
