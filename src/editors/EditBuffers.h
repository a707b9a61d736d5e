#pragma once

#include "editors/EditMenuState.h"
#include "editors/GridRect.h"
#include "editors/TextGrid.h"

#include <QByteArray>
#include <vector>

namespace qdv {

// The paste, undo and redo buffers of the description editor, shared by its grids.
//
// Copy keeps a rectangle of texts (column by column). Cut and Delete are one operation: the rectangle
// goes to the paste buffer and its cells are cleared, undoably. Paste writes the buffer from a cell,
// column by column, and stops altogether at the first cell beyond the grid's last column or row.
// Undo and Redo exchange the texts of exactly the cells the last change wrote, so an undo never
// touches a cell the change left alone (the part of a paste cut off at the grid's edge).
class EditBuffers {
public:
    using Columns = std::vector<std::vector<QByteArray>>;

    // Empties every buffer and gives the menu its first state.
    void Reset();
    const EditMenuState& Menu() const { return m_menu; }
    // The texts Paste would write, column by column.
    const Columns& PasteColumns() const { return m_paste; }

    void Copy(const TextGrid& grid, const GridRect& rect);
    // Copy in edit mode: the in-place editor's text.
    void CopyText(const QByteArray& text);
    // Cut or Delete of a rectangle.
    void Cut(TextGrid& grid, const GridRect& rect);
    // Cut or Delete in edit mode: the cell's whole text goes to both buffers, the cell keeps `remaining`
    // (its text without the characters selected in the in-place editor).
    void CutInEditor(TextGrid& grid, int column, int row, const QByteArray& remaining);
    // Pastes from (column, row); the cells written, an empty rectangle when there was nothing to paste.
    GridRect Paste(TextGrid& grid, int column, int row);
    // The cells changed, an empty rectangle when there was nothing to undo or redo.
    GridRect Undo(TextGrid& grid);
    GridRect Redo(TextGrid& grid);

private:
    struct Change {
        int column;
        int row;
        QByteArray text; // the text the cell held before the change (undo) or after it (redo)
    };

    void StoreRect(const TextGrid& grid, const GridRect& rect);
    GridRect Exchange(TextGrid& grid);
    void StartChange();

    Columns m_paste;
    std::vector<Change> m_changes;
    bool m_canUndo = false;
    bool m_canRedo = false;
    EditMenuState m_menu;
};

} // namespace qdv
