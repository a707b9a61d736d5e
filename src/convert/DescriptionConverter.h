#pragma once

#include "convert/TerminalSide.h"
#include "convert/TerminalTextTable.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace qdv {

// Outcome of a description conversion: the result code and the message that goes with it (empty for
// success). The message holds the offending line's bytes as they stand.
struct ConverterResult {
    int code = 0;
    QByteArray message;

    bool operator==(const ConverterResult&) const = default;
};

// Turns description text (the short form: T, S and D lines) into ZEBU_NME.DAU. It checks the standard
// settings file first, then parses every S and D line strictly and refuses the whole text at its first
// bad line, so a half-converted file is never written. The descriptions parsed are kept between calls:
// text that names only some terminals changes only those.
class DescriptionConverter {
public:
    enum Result : int {
        kOk = 0,
        kUsage = 1,
        kCannotOpen = 2,
        kCannotRead = 3,
        kCannotWrite = 4,
        kLengthUnmatch = 5,
        kIllegalCharacter = 6,
        kBadLine = 10,
    };
    // Why a line was refused (the message of a kBadLine result).
    enum LineError : int {
        kLineOk = 0,
        kSyntax = 11,
        kDestinationNumber = 13,
        kSourceNumber = 14,
    };

    static constexpr int kChangeListEntries = 160;
    static constexpr int kMaxParsedLines = 2048;

    // Converts the text file at `textPath` and writes `outputPath` (replacing it atomically) when the
    // text holds at least one line other than T lines and every line parses. `stdPath` is ZEBU_STD.DAU.
    ConverterResult ConvertDescriptionText(const QString& textPath, const QString& stdPath,
                                           const QString& outputPath);

    // The same on bytes: on success with lines to convert, `*dauText` gets the text of ZEBU_NME.DAU;
    // otherwise it is left empty.
    ConverterResult Convert(const QByteArray& text, const QByteArray& stdText, QByteArray* dauText);

    // The result of a failure with its message; `path` names the file the message is about.
    static ConverterResult Failure(int code, const QByteArray& path = {});

    // Parses one line (line end dropped, comment cut off); kLineOk fills the outputs.
    static int ParseLine(const QByteArray& line, Side* side, int* number, QByteArray* description);

    const TerminalTextTable& Descriptions() const { return m_descriptions; }
    // Terminals of the parsed lines in order (bit 15 for a destination), the first 160 of them.
    const std::vector<std::uint16_t>& ChangeList() const { return m_changeList; }

private:
    int CheckStandardSettings(const QByteArray& stdText) const;
    ConverterResult ConvertText(const QByteArray& text, QByteArray* dauText);
    ConverterResult ParseText(const QByteArray& text, bool* anyLine);
    QByteArray OutputImage() const;

    TerminalTextTable m_descriptions;
    std::vector<std::uint16_t> m_changeList;
    int m_parsedLines = 0;
};

} // namespace qdv
