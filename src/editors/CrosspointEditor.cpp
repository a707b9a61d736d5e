#include "editors/CrosspointEditor.h"

#include "base/CatalogueCodes.h"
#include "convert/ConversionTables.h"
#include "editors/EditorSnapshot.h"
#include "editors/LabelText.h"

#include <algorithm>

namespace qdv {

namespace {

// The part of a rectangle that lies among the level cells.
GridRect LevelCells(const GridRect& r) {
    const int c0 = std::clamp(r.column, 0, CrosspointTable::kLevels);
    const int r0 = std::clamp(r.row, 0, kTerminalCount);
    const int c1 = std::clamp(r.column + r.width, c0, CrosspointTable::kLevels);
    const int r1 = std::clamp(r.row + r.height, r0, kTerminalCount);
    return {c0, r0, c1 - c0, r1 - r0};
}

} // namespace

CrosspointEditor::CrosspointEditor(ConversionTables& tables)
    : m_tables(tables), m_loaded(tables.Crosspoints()) {}

bool CrosspointEditor::Modified() const {
    return m_tables.Crosspoints() != m_loaded;
}

QByteArray CrosspointEditor::SourceText(int source) const {
    // A damaged file may name a source beyond the last; it shows as its number.
    if (source < 1 || source > kTerminalCount)
        return QByteArray::number(source);
    const QByteArray description = m_tables.Descriptions().At(Side::Source, source).Text();
    if (!description.isEmpty())
        return description;
    const TerminalLabel& label = m_tables.Labels().Label(Side::Source, source);
    const QByteArray text = LabelText(label);
    return text.isEmpty() ? QByteArray::number(label.secondNumber) : text;
}

QByteArray CrosspointEditor::LevelText(int level, int dest) const {
    const int source = m_tables.Crosspoints().Source(level, dest);
    return source == 0 ? QByteArray() : SourceText(source);
}

GridRect CrosspointEditor::RouteTarget(const GridRect& selection, int currentRow) const {
    if (m_rowMode)
        return {0, currentRow, CrosspointTable::kLevels, 1};
    return LevelCells(selection);
}

GridRect CrosspointEditor::ClearTarget(const GridRect& selection) const {
    if (m_rowMode)
        return LevelCells({0, selection.row, CrosspointTable::kLevels, selection.height});
    return LevelCells(selection);
}

void CrosspointEditor::SetCells(const GridRect& cells, std::uint16_t source) {
    const GridRect r = LevelCells(cells);
    for (int c = r.column; c < r.column + r.width; ++c) {
        for (int row = r.row; row < r.row + r.height; ++row)
            m_tables.Crosspoints().SetSource(c + 1, row + 1, source);
    }
}

void CrosspointEditor::Route(int source, const GridRect& cells) {
    if (source >= 1 && source <= kTerminalCount)
        SetCells(cells, static_cast<std::uint16_t>(source));
}

void CrosspointEditor::Clear(const GridRect& cells) {
    SetCells(cells, 0);
}

bool CrosspointEditor::Import(const QString& path) {
    return m_tables.ImportCrosspointText(path);
}

bool CrosspointEditor::Export(const QString& path, QString* error) const {
    return m_tables.ExportCrosspointText(path, error);
}

OkOutcome CrosspointEditor::Ok(const SetupRecord& setup, EditorQuestions& questions) {
    if (!questions.Ask(msg::kAskCrosspointsToCsv))
        return {};
    FolderLock folder;
    if (const QString busy = HoldEditorFolder(setup, QStringLiteral("saving crosspoints"), folder);
        !busy.isEmpty())
        return {false, busy, {}};
    QString why;
    const QString csv = ConversionTables::CrosspointCsvFile(setup);
    if (!m_tables.ExportCrosspointText(csv, &why))
        return {false, QStringLiteral("%1 was not written: %2").arg(csv, why), {}};
    OkOutcome outcome;
    if (questions.Ask(msg::kAskCrosspointsToDau)) {
        outcome.close = m_tables.SaveCrosspoints(setup, &why);
        if (!outcome.close)
            outcome.error =
                QStringLiteral("%1 was not written: %2").arg(ConversionTables::CrosspointFile(setup), why);
    }
    RecordEditorSnapshot(setup, QStringLiteral("Edit crosspoints"), &outcome);
    return outcome;
}

} // namespace qdv
