#include "convert/ConversionTables.h"

#include "convert/CrosspointText.h"
#include "convert/DescriptionText.h"
#include "convert/TmTableRemote.h"
#include "store/AtomicFile.h"
#include "store/DataFileSet.h"
#include "store/PathNoCase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qdv {

namespace {

QString FileIn(const QString& folder, int code) {
    return JoinNoCase(folder, QString::fromLatin1(datafiles::Entry(code).name));
}

// The same file name with another extension, in the same folder.
QString WithExtension(const QString& path, const QString& extension) {
    const QFileInfo info(path);
    return JoinNoCase(info.path(), info.completeBaseName() + extension);
}

// Writes a whole file through a temporary one, creating its folder when it is missing.
bool WriteFile(const QString& path, const QByteArray& data, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("Cannot create directory.(%1)").arg(folder);
        return false;
    }
    return WriteFileAtomically(path, data, error);
}

} // namespace

QString ConversionTables::StandardSettingsFile(const SetupRecord& setup) {
    return FileIn(TmTableRemote::PrimaryFolder(setup), datafiles::kStd);
}

QString ConversionTables::DescriptionFile(const SetupRecord& setup) {
    return FileIn(TmTableRemote::NameFolder(setup), datafiles::kNme);
}

QString ConversionTables::AliasFile(const SetupRecord& setup, int k) {
    return JoinNoCase(TmTableRemote::NameFolder(setup), datafiles::AliasFileName(k));
}

QString ConversionTables::CrosspointFile(const SetupRecord& setup) {
    return FileIn(TmTableRemote::XPointFolder(setup), datafiles::kXpt);
}

QString ConversionTables::DescriptionCsvFile(const SetupRecord& setup) {
    return WithExtension(DescriptionFile(setup), QStringLiteral(".CSV"));
}

QString ConversionTables::CrosspointCsvFile(const SetupRecord& setup) {
    return WithExtension(CrosspointFile(setup), QStringLiteral(".CSV"));
}

void ConversionTables::BuildTerminalLabels(const SetupRecord& setup) {
    QByteArray text;
    if (ReadWholeFile(StandardSettingsFile(setup), &text))
        m_labels.Build(text);
    else
        m_labels.Clear();
}

bool ConversionTables::LoadDescriptions(const SetupRecord& setup) {
    QByteArray text;
    return ReadWholeFile(DescriptionFile(setup), &text) && m_descriptions.LoadDau(text);
}

bool ConversionTables::LoadAliases(const SetupRecord& setup, int k) {
    QByteArray text;
    return ReadWholeFile(AliasFile(setup, k), &text) && m_aliases.LoadDau(k, text);
}

bool ConversionTables::SaveAliases(const SetupRecord& setup, int k, QString* error) const {
    return WriteFile(AliasFile(setup, k), m_aliases.SaveDau(k), error);
}

bool ConversionTables::ExportDescriptionText(const QString& path, QString* error) const {
    return WriteFile(path, DescriptionText::LongForm(m_labels, m_descriptions, m_aliases), error);
}

bool ConversionTables::WriteShortDescriptionText(const QString& path, QString* error) const {
    return WriteFile(path, DescriptionText::ShortForm(m_labels, m_descriptions), error);
}

bool ConversionTables::ImportDescriptionText(const QString& path, DescriptionImport* read) {
    QByteArray text;
    if (!ReadWholeFile(path, &text))
        return false;
    const DescriptionImport result = DescriptionText::Import(text, &m_descriptions, &m_aliases);
    if (read)
        *read = result;
    return true;
}

ConverterResult ConversionTables::ConvertDescriptionsToDau(const SetupRecord& setup) {
    const QString output = DescriptionFile(setup);
    const QString work = WithExtension(output, QStringLiteral(".OLD"));
    QFile::remove(work);
    QString error;
    if (!WriteFile(work, DescriptionText::ConverterInput(m_descriptions), &error))
        return DescriptionConverter::Failure(DescriptionConverter::kCannotWrite, QFile::encodeName(work));
    const ConverterResult result =
        m_converter.ConvertDescriptionText(work, StandardSettingsFile(setup), output);
    QFile::remove(work);
    return result;
}

ConverterResult ConversionTables::SaveDescriptionsAndAliases(const SetupRecord& setup) {
    const QString stdPath = StandardSettingsFile(setup);
    QByteArray stdText;
    if (!ReadWholeFile(stdPath, &stdText))
        return DescriptionConverter::Failure(DescriptionConverter::kCannotOpen, QFile::encodeName(stdPath));
    QByteArray dau;
    const ConverterResult converted =
        m_converter.Convert(DescriptionText::ConverterInput(m_descriptions), stdText, &dau);
    if (converted.code != DescriptionConverter::kOk)
        return converted;

    const QString nme = DescriptionFile(setup);
    QList<QPair<QString, QByteArray>> files;
    // The converter's input always holds S and D lines, so a successful conversion always gives the file.
    files.append({nme, dau});
    for (int k = 1; k <= AliasTables::kTables; ++k)
        files.append({AliasFile(setup, k), m_aliases.SaveDau(k)});
    const QString folder = QFileInfo(nme).absolutePath();
    QString why;
    if (!QDir().mkpath(folder))
        return DescriptionConverter::Failure(DescriptionConverter::kCannotWrite, QFile::encodeName(folder));
    if (!WriteFilesAtomically(files, &why))
        return {DescriptionConverter::kCannotWrite, "error: " + why.toLocal8Bit()};
    return converted;
}

bool ConversionTables::LoadCrosspoints(const SetupRecord& setup) {
    QByteArray text;
    if (!ReadWholeFile(CrosspointFile(setup), &text))
        return false;
    m_crosspoints.LoadDau(text);
    return true;
}

bool ConversionTables::SaveCrosspoints(const SetupRecord& setup, QString* error) const {
    return WriteFile(CrosspointFile(setup), m_crosspoints.SaveDau(), error);
}

bool ConversionTables::ExportCrosspointText(const QString& path, QString* error) const {
    return WriteFile(path, CrosspointText::Export(m_crosspoints), error);
}

bool ConversionTables::ImportCrosspointText(const QString& path, CrosspointImport* read) {
    QByteArray text;
    if (!ReadWholeFile(path, &text))
        return false;
    const CrosspointImport result = CrosspointText::Import(text, &m_crosspoints);
    if (read)
        *read = result;
    return true;
}

} // namespace qdv
