#include "editors/DescAliasEditor.h"

#include "base/CatalogueCodes.h"
#include "base/MessageCatalogue.h"
#include "convert/ConversionTables.h"
#include "convert/DescriptionText.h"
#include "convert/TerminalTextCodec.h"
#include "editors/EditorSnapshot.h"
#include "store/AtomicFile.h"

#include <memory>

namespace qdv {

namespace {

// Side and number of the terminal at a grid row.
constexpr Side kSides[] = {Side::Source, Side::Destination};

TerminalTextTable& TableOfColumn(ConversionTables& t, int column) {
    return column == DescAliasEditor::kDescriptionColumn ? t.Descriptions() : t.Aliases().Table(column);
}

// The characters of `after` that are not in `before`: what was typed or pasted.
QString Inserted(const QString& before, const QString& after) {
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return after.mid(prefix, after.size() - prefix - suffix);
}

QString SideName(Side side) {
    return side == Side::Source ? QStringLiteral("source") : QStringLiteral("destination");
}

} // namespace

DescAliasEditor::DescAliasEditor(ConversionTables& tables)
    : m_tables(tables), m_source(kTextColumns, kTerminalCount), m_destination(kTextColumns, kTerminalCount),
      m_loadedSource(m_source), m_loadedDestination(m_destination) {}

void DescAliasEditor::Show() {
    m_buffers.Reset();
    Fill();
    m_loadedSource = m_source;
    m_loadedDestination = m_destination;
    m_page = Side::Source;
    m_editMode = false;
}

void DescAliasEditor::ChangePage(Side side) {
    m_page = side;
    m_editMode = false;
    m_buffers.Reset();
}

void DescAliasEditor::Fill() {
    for (const Side side : kSides) {
        TextGrid& grid = Grid(side);
        for (int c = 0; c < kTextColumns; ++c) {
            const TerminalTextTable& table = TableOfColumn(m_tables, c);
            for (int n = 1; n <= kTerminalCount; ++n)
                grid.Set(c, n - 1, table.At(side, n).Text());
        }
    }
}

void DescAliasEditor::StoreToTables() {
    for (const Side side : kSides) {
        const TextGrid& grid = Grid(side);
        for (int c = 0; c < kTextColumns; ++c) {
            TerminalTextTable& table = TableOfColumn(m_tables, c);
            for (int n = 1; n <= kTerminalCount; ++n)
                table.At(side, n).SetText(grid.At(c, n - 1));
        }
    }
}

bool DescAliasEditor::Import(const QString& path, QString* refusal) {
    QByteArray text;
    if (!ReadWholeFile(path, &text)) {
        *refusal = QStringLiteral("%1 cannot be read.").arg(path);
        return false;
    }
    // Into fresh tables first, so that a refused text leaves the grids and the tables as they were.
    const auto descriptions = std::make_unique<DescriptionTable>();
    const auto aliases = std::make_unique<AliasTables>();
    const DescriptionImport read = DescriptionText::Import(text, descriptions.get(), aliases.get());
    if (!read.refusal.isEmpty()) {
        *refusal = QStringLiteral("%1 was not imported.\n%2").arg(path, read.refusal);
        return false;
    }
    m_tables.Descriptions() = *descriptions;
    m_tables.Aliases() = *aliases;
    Fill();
    return true;
}

bool DescAliasEditor::Export(const QString& path, QString* error) {
    StoreToTables();
    return m_tables.ExportDescriptionText(path, error);
}

QString DescAliasEditor::RefuseEdit(int column, const QString& before, const QString& after) {
    const QString inserted = Inserted(before, after);
    const qsizetype refused = TerminalTextCodec::FirstRefused(inserted);
    if (refused >= 0)
        return TerminalTextCodec::RefusalText(inserted, refused);
    if (inserted.contains(QLatin1Char(',')))
        return CatalogueText(msg::kRefusedComma);
    if (column == kDescriptionColumn && inserted.contains(QLatin1Char('/')))
        return CatalogueText(msg::kRefusedSlash);
    if (TerminalTextCodec::ByteLength(after) > kMaxBytes &&
        TerminalTextCodec::ByteLength(after) > TerminalTextCodec::ByteLength(before))
        return CatalogueText(msg::kRefusedLength).arg(kMaxBytes);
    return {};
}

QString DescAliasEditor::Paste(int column, int row, GridRect* written) {
    const EditBuffers::Columns& paste = m_buffers.PasteColumns();
    const int offset = kDescriptionColumn - column;
    if (offset >= 0 && offset < static_cast<int>(paste.size())) {
        for (const QByteArray& text : paste[offset]) {
            if (text.contains('/'))
                return CatalogueText(msg::kRefusedSlash);
        }
    }
    *written = m_buffers.Paste(Current(), column, row);
    return {};
}

QString DescAliasEditor::CheckConvertible(const SetupRecord& setup) const {
    // The description file's text form cuts a description at "/" and drops tabs without a word.
    for (const Side side : kSides) {
        for (int n = 1; n <= kTerminalCount; ++n) {
            const QByteArray text = m_tables.Descriptions().At(side, n).Text();
            if (text.contains('/') || text.contains('\t'))
                return QStringLiteral("The description of %1 %2 holds \"/\" or a tab, which the "
                                      "description file cannot carry.")
                    .arg(SideName(side))
                    .arg(n);
        }
    }
    QByteArray stdText;
    const QString stdPath = ConversionTables::StandardSettingsFile(setup);
    if (!ReadWholeFile(stdPath, &stdText))
        return QStringLiteral("error: Unable to open file '%1'.").arg(stdPath);
    QByteArray dau;
    // A converter of its own, so that the check leaves nothing behind in the tables' converter.
    const auto converter = std::make_unique<DescriptionConverter>();
    const ConverterResult r =
        converter->Convert(DescriptionText::ConverterInput(m_tables.Descriptions()), stdText, &dau);
    return r.code == DescriptionConverter::kOk ? QString() : QString::fromLocal8Bit(r.message);
}

OkOutcome DescAliasEditor::Ok(const SetupRecord& setup, EditorQuestions& questions) {
    if (!questions.Ask(msg::kAskDescAliasToCsv))
        return {};
    StoreToTables();
    if (const QString refused = CheckConvertible(setup); !refused.isEmpty())
        return {false, QStringLiteral("No file was written.\n") + refused, {}};
    FolderLock folder;
    if (const QString busy = HoldEditorFolder(setup, QStringLiteral("saving descriptions"), folder);
        !busy.isEmpty())
        return {false, busy, {}};
    QString why;
    const QString csv = ConversionTables::DescriptionCsvFile(setup);
    if (!m_tables.ExportDescriptionText(csv, &why))
        return {false, QStringLiteral("%1 was not written: %2").arg(csv, why), {}};
    OkOutcome outcome;
    if (questions.Ask(msg::kAskDescAliasToDau)) {
        const ConverterResult saved = m_tables.SaveDescriptionsAndAliases(setup);
        outcome.close = saved.code == DescriptionConverter::kOk;
        if (!outcome.close)
            outcome.error = QStringLiteral("The description and alias files were not written.\n") +
                            QString::fromLocal8Bit(saved.message);
    }
    RecordEditorSnapshot(setup, QStringLiteral("Edit descriptions"), &outcome);
    return outcome;
}

} // namespace qdv
