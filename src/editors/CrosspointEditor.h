#pragma once

#include "convert/CrosspointTable.h"
#include "editors/EditorQuestions.h"
#include "editors/GridRect.h"
#include "editors/OkOutcome.h"
#include "store/SetupRecord.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace qdv {

class ConversionTables;

// The crosspoint editor without its window. It edits the crosspoint table in place. Level cells are
// addressed as a rectangle whose columns are levels 1..8 (0..7) and whose rows are destinations
// 1..1024 (0..1023).
//
// Row mode (the current column of the destination grid is its number, label or description) acts on
// whole rows; cell mode (a level column) on the selected rectangle of level cells.
class CrosspointEditor {
public:
    static constexpr int kFirstLevelColumn = 3; // of the destination grid

    explicit CrosspointEditor(ConversionTables& tables);

    // The table differs from what it held when the editor was made: closing without OK would lose
    // changes (an import counts, and so does an OK that wrote the CSV text but not the data file).
    bool Modified() const;

    bool RowMode() const { return m_rowMode; }
    // The destination grid's current column decides the mode.
    void SetCurrentColumn(int column) { m_rowMode = column < kFirstLevelColumn; }

    // A source as a level cell shows it: its description, else its label, else its second number.
    QByteArray SourceText(int source) const;
    // The text of a level cell; empty for no source.
    QByteArray LevelText(int level, int dest) const;

    // The level cells a double click on a source routes: in row mode every level of the current row,
    // in cell mode the selected rectangle.
    GridRect RouteTarget(const GridRect& selection, int currentRow) const;
    // The level cells Delete clears: in row mode every level of the selected rows.
    GridRect ClearTarget(const GridRect& selection) const;
    void Route(int source, const GridRect& cells);
    void Clear(const GridRect& cells);

    // Reads crosspoint text over the table; false, nothing changed, when the file cannot be read.
    bool Import(const QString& path);
    bool Export(const QString& path, QString* error) const;

    // OK: the question whether to write the CSV file, ZEBU_XPT.CSV, the one whether to write the DAU
    // file, ZEBU_XPT.DAU.
    OkOutcome Ok(const SetupRecord& setup, EditorQuestions& questions);

private:
    void SetCells(const GridRect& cells, std::uint16_t source);

    ConversionTables& m_tables;
    CrosspointTable m_loaded;
    bool m_rowMode = true;
};

} // namespace qdv
