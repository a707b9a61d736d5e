#pragma once

#include "convert/TerminalSide.h"
#include "convert/TextSlot.h"
#include "editors/EditBuffers.h"
#include "editors/EditorQuestions.h"
#include "editors/OkOutcome.h"
#include "editors/TextGrid.h"
#include "store/SetupRecord.h"

#include <QString>

namespace qdv {

class ConversionTables;

// The description and alias editor without its window: a grid per side of 1024 rows and 8 text
// columns (the description, then aliases 1..7) as the working copy of the tables, the shared edit
// buffers, edit mode, and what OK, Import and Export do with the tables and the files.
class DescAliasEditor {
public:
    static constexpr int kTextColumns = 8;
    static constexpr int kDescriptionColumn = 0;
    static constexpr int kMaxBytes = TextSlot::kSize;

    explicit DescAliasEditor(ConversionTables& tables);

    // Opening: buffers cleared, grids filled from the tables, the source page, edit mode off.
    void Show();
    // The grids differ from what Show loaded: closing without OK would lose changes (an import counts,
    // and so does an OK that wrote the CSV text but not the data files).
    bool Modified() const { return m_source != m_loadedSource || m_destination != m_loadedDestination; }
    // Another page: edit mode off, buffers and menu reset (nothing is carried between pages).
    void ChangePage(Side side);
    Side Page() const { return m_page; }

    TextGrid& Grid(Side side) { return side == Side::Source ? m_source : m_destination; }
    const TextGrid& Grid(Side side) const { return side == Side::Source ? m_source : m_destination; }
    TextGrid& Current() { return Grid(m_page); }
    EditBuffers& Buffers() { return m_buffers; }
    const ConversionTables& Tables() const { return m_tables; }

    bool EditMode() const { return m_editMode; }
    void SetEditMode(bool on) { m_editMode = on; }

    // The grids from the tables, and back (texts cut to 16 bytes).
    void Fill();
    void StoreToTables();

    // Clears the description and alias tables, reads `path` into them and refills both grids; false,
    // nothing changed and `refusal` saying why, when the file cannot be read or its text is refused.
    bool Import(const QString& path, QString* refusal);
    // Writes the long text of what the grids hold.
    bool Export(const QString& path, QString* error);

    // Why typing or pasting turned a cell's text `before` into `after` is refused; empty when it is
    // not. Only the inserted characters are judged, so a cell loaded with odd bytes can still be
    // shortened.
    static QString RefuseEdit(int column, const QString& before, const QString& after);
    // Paste of the buffers at a cell of the current grid; refused (nothing written, the reason
    // returned) when it would put a text the description file cannot carry into a description.
    QString Paste(int column, int row, GridRect* written);

    // OK: the question whether to write the CSV file, the tables from the grids, ZEBU_NME.CSV, the
    // question whether to write the DAU files, then the description
    // and the alias files as one set. Nothing is written when a description cannot be converted.
    OkOutcome Ok(const SetupRecord& setup, EditorQuestions& questions);

private:
    QString CheckConvertible(const SetupRecord& setup) const;

    ConversionTables& m_tables;
    TextGrid m_source;
    TextGrid m_destination;
    TextGrid m_loadedSource;
    TextGrid m_loadedDestination;
    EditBuffers m_buffers;
    Side m_page = Side::Source;
    bool m_editMode = false;
};

} // namespace qdv
