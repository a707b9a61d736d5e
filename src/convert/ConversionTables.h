#pragma once

#include "convert/AliasTables.h"
#include "convert/CrosspointTable.h"
#include "convert/CrosspointText.h"
#include "convert/DescriptionConverter.h"
#include "convert/DescriptionTable.h"
#include "convert/DescriptionText.h"
#include "convert/TerminalLabels.h"
#include "store/SetupRecord.h"

#include <QString>

namespace qdv {

// The tables the editors and the name transfers work on (terminal labels, descriptions, aliases,
// crosspoints) with the file operations on a setup's backup folder: ZEBU_STD.DAU in Primary,
// ZEBU_NME.DAU and ZEBU_ALS1..7.DAU in Name, ZEBU_XPT.DAU in XPoint. Loading never clears a table
// (callers clear first where they want a fresh one); every file written replaces its target whole.
class ConversionTables {
public:
    TerminalLabels& Labels() { return m_labels; }
    const TerminalLabels& Labels() const { return m_labels; }
    DescriptionTable& Descriptions() { return m_descriptions; }
    const DescriptionTable& Descriptions() const { return m_descriptions; }
    AliasTables& Aliases() { return m_aliases; }
    const AliasTables& Aliases() const { return m_aliases; }
    CrosspointTable& Crosspoints() { return m_crosspoints; }
    const CrosspointTable& Crosspoints() const { return m_crosspoints; }

    // Rebuilds the labels from ZEBU_STD.DAU; without the file they stay empty.
    void BuildTerminalLabels(const SetupRecord& setup);

    // False, table untouched, unless ZEBU_NME.DAU exists with exactly 71742 bytes.
    bool LoadDescriptions(const SetupRecord& setup);
    // False, table untouched, unless ZEBU_ALS<k>.DAU exists with exactly 66048 bytes.
    bool LoadAliases(const SetupRecord& setup, int k);
    bool SaveAliases(const SetupRecord& setup, int k, QString* error = nullptr) const;

    bool ExportDescriptionText(const QString& path, QString* error = nullptr) const;
    bool WriteShortDescriptionText(const QString& path, QString* error = nullptr) const;
    // False when the file cannot be read; the tables are then untouched. `read` says what the text held,
    // or why it was refused (the tables are then untouched too).
    bool ImportDescriptionText(const QString& path, DescriptionImport* read = nullptr);
    // Converts the description table into ZEBU_NME.DAU through the converter's input in the work file
    // ZEBU_NME.OLD. A refused conversion leaves ZEBU_NME.DAU as it was; the result says why.
    ConverterResult ConvertDescriptionsToDau(const SetupRecord& setup);
    // Writes ZEBU_NME.DAU and ZEBU_ALS1..7.DAU as one set: the descriptions are converted first, in
    // memory; when the conversion refuses a line, or any file cannot be written, none of the eight
    // files is replaced and the result says why (kCannotWrite with the file in the message).
    ConverterResult SaveDescriptionsAndAliases(const SetupRecord& setup);

    // False, table untouched, when ZEBU_XPT.DAU cannot be read. A short file loads what it holds.
    bool LoadCrosspoints(const SetupRecord& setup);
    bool SaveCrosspoints(const SetupRecord& setup, QString* error = nullptr) const;
    bool ExportCrosspointText(const QString& path, QString* error = nullptr) const;
    // False when the file cannot be read; the table is then untouched.
    bool ImportCrosspointText(const QString& path, CrosspointImport* read = nullptr);

    // Files of a setup, found without regard to case.
    static QString StandardSettingsFile(const SetupRecord& setup);
    static QString DescriptionFile(const SetupRecord& setup);
    static QString AliasFile(const SetupRecord& setup, int k);
    static QString CrosspointFile(const SetupRecord& setup);
    // The text the editors write on OK beside the data file: ZEBU_NME.CSV and ZEBU_XPT.CSV.
    static QString DescriptionCsvFile(const SetupRecord& setup);
    static QString CrosspointCsvFile(const SetupRecord& setup);

private:
    TerminalLabels m_labels;
    DescriptionTable m_descriptions;
    AliasTables m_aliases;
    CrosspointTable m_crosspoints;
    DescriptionConverter m_converter;
};

} // namespace qdv
