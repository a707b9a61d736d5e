#include "convert/DescriptionConverter.h"

#include "store/AtomicFile.h"
#include "store/DataImage.h"
#include "store/HexText.h"
#include "store/StandardSettingsLayout.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace qdv {

namespace {

using stdlayout::kTerminalsPerHalf;

// Character offsets and counts in the text of ZEBU_STD.DAU, two characters a byte.
constexpr int kHalfChars = image::CharOffsetOfByte(stdlayout::kHalf);
constexpr int kTypeNamesChars = 2 * stdlayout::kTypesPerHalf * stdlayout::kTypeNameSlot;
constexpr int kSourceEntryChars = 2 * stdlayout::kSourceEntrySize;
constexpr int kDestinationEntryChars = 2 * stdlayout::kDestinationEntrySize;
constexpr int kMaxFirstField = 32;
constexpr int kMaxLabelChars = 32;
constexpr int kZeroTail = 256; // two lines of "0" after the descriptions
constexpr int kCountBlock = 8; // the count byte and seven 0 bytes
constexpr int kChangeBlocks = 8;

// Reads the hexadecimal characters of ZEBU_STD.DAU strictly, skipping line ends.
class StrictHexReader {
public:
    explicit StrictHexReader(const QByteArray& text) : m_text(text) {}

    void Seek(qsizetype at) { m_pos = at; }

    // Reads `count` digits; the end of the data gives `endCode`, a character that is not an upper-case
    // hexadecimal digit gives kIllegalCharacter.
    int Read(int count, int endCode) {
        for (int i = 0; i < count;) {
            if (m_pos >= m_text.size())
                return endCode;
            const char c = m_text[m_pos++];
            if (c == '\r' || c == '\n')
                continue;
            if (!hex::IsStrictDigit(c))
                return DescriptionConverter::kIllegalCharacter;
            ++i;
        }
        return DescriptionConverter::kOk;
    }

private:
    const QByteArray& m_text;
    qsizetype m_pos = 0;
};

bool IsBlank(const QByteArray& line) {
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

bool IsPrintable(unsigned char c) {
    return c >= 32 && c <= 126;
}

// Characters a description may hold: printable ASCII and the single-byte katakana range.
bool IsDescriptionChar(unsigned char c) {
    return IsPrintable(c) || (c >= 160 && c <= 223);
}

QByteArray Quoted(const QByteArray& path) {
    return '\'' + path + '\'';
}

QByteArray MessageOf(int code, const QByteArray& path) {
    switch (code) {
    case DescriptionConverter::kUsage:
        return "Usage: txtoxpt [input InFile name]";
    case DescriptionConverter::kCannotOpen:
        return "error: Unable to open file " + Quoted(path) + '.';
    case DescriptionConverter::kCannotRead:
        return "error: Unable to read input file " + Quoted(path) + '.';
    case DescriptionConverter::kCannotWrite:
        return "error: Unable to write output file " + Quoted(path) + '.';
    case DescriptionConverter::kLengthUnmatch:
        return "error: Input file length unmatch.";
    case DescriptionConverter::kIllegalCharacter:
        return "error: Can't convert for illegal character.";
    default:
        return {};
    }
}

QByteArray LineMessage(int error, const QByteArray& line, int lineNumber) {
    const QByteArray where = Quoted(line) + "error(L" + QByteArray::number(lineNumber) + "): ";
    switch (error) {
    case DescriptionConverter::kDestinationNumber:
        return where + "Destination terminal number error.";
    case DescriptionConverter::kSourceNumber:
        return where + "Source terminal number error.";
    default:
        return where + "Declaration syntax error.";
    }
}

// Reads a file for the converter: a file that cannot be opened is kCannotOpen, one that fails while
// being read kCannotRead.
int ReadInput(const QString& path, QByteArray* data) {
    if (ReadWholeFile(path, data))
        return DescriptionConverter::kOk;
    const QFileInfo info(path);
    return info.isFile() && info.isReadable() ? DescriptionConverter::kCannotRead
                                              : DescriptionConverter::kCannotOpen;
}

} // namespace

ConverterResult DescriptionConverter::Failure(int code, const QByteArray& path) {
    return {code, MessageOf(code, path)};
}

int DescriptionConverter::CheckStandardSettings(const QByteArray& stdText) const {
    StrictHexReader in(stdText);
    // The numbering flag (the type mode byte).
    in.Seek(image::CharOffsetOfByte(stdlayout::kTypeMode));
    if (const int r = in.Read(2, kLengthUnmatch))
        return r;
    for (const int half : {0, kHalfChars}) {
        in.Seek(half);
        if (const int r = in.Read(kTypeNamesChars, kLengthUnmatch))
            return r;
    }
    // Source entries, then at once the destination entries, of each half. The entries are checked,
    // not kept: the conversion does not depend on them.
    for (const int half : {0, kHalfChars}) {
        in.Seek(half + image::CharOffsetOfByte(stdlayout::kSourceEntries));
        if (const int r = in.Read(kTerminalsPerHalf * kSourceEntryChars, kLengthUnmatch))
            return r;
        if (const int r = in.Read(kTerminalsPerHalf * kDestinationEntryChars, kIllegalCharacter))
            return r;
    }
    return kOk;
}

int DescriptionConverter::ParseLine(const QByteArray& line, Side* side, int* number,
                                    QByteArray* description) {
    if (!line.contains('S') && !line.contains('D'))
        return kSyntax;

    // First field: blanks, "S" or "D", decimal digits, blanks.
    const qsizetype comma1 = line.indexOf(',');
    if (comma1 < 0 || comma1 > kMaxFirstField)
        return kSyntax;
    qsizetype i = 0;
    while (i < comma1 && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i == comma1 || (line[i] != 'S' && line[i] != 'D'))
        return kSyntax;
    const bool destination = line[i++] == 'D';
    int n = 0;
    for (; i < comma1 && line[i] >= '0' && line[i] <= '9'; ++i)
        n = std::min(n * 10 + (line[i] - '0'), 100000);
    while (i < comma1 && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i != comma1)
        return kSyntax;
    if (n < 1 || n > kTerminalCount)
        return destination ? kDestinationNumber : kSourceNumber;

    // Label type name and number text: printable, 32 characters at most together; not kept.
    const qsizetype comma2 = line.indexOf(',', comma1 + 1);
    const qsizetype comma3 = comma2 < 0 ? -1 : line.indexOf(',', comma2 + 1);
    if (comma3 < 0 || comma3 - comma1 - 2 > kMaxLabelChars)
        return kSyntax;
    for (qsizetype k = comma1 + 1; k < comma3; ++k) {
        if (k != comma2 && !IsPrintable(static_cast<unsigned char>(line[k])))
            return kSyntax;
    }

    // Description: leading tabs skipped; a tab after the text ends it and must end the line too.
    qsizetype k = comma3 + 1;
    while (k < line.size() && line[k] == '\t')
        ++k;
    QByteArray text;
    for (; k < line.size(); ++k) {
        const auto c = static_cast<unsigned char>(line[k]);
        if (c == '\t') {
            if (k + 1 < line.size())
                return kSyntax;
            break;
        }
        if (!IsDescriptionChar(c) || text.size() == TextSlot::kSize)
            return kSyntax;
        text.append(static_cast<char>(c));
    }

    *side = destination ? Side::Destination : Side::Source;
    *number = n;
    *description = text;
    return kLineOk;
}

ConverterResult DescriptionConverter::ParseText(const QByteArray& text, bool* anyLine) {
    m_changeList.clear();
    m_parsedLines = 0;
    *anyLine = false;
    int lineNumber = 0;
    qsizetype pos = 0;
    while (pos < text.size() && m_parsedLines < kMaxParsedLines) {
        const qsizetype lf = text.indexOf('\n', pos);
        const qsizetype end = lf < 0 ? text.size() : lf;
        QByteArray line = text.mid(pos, end - pos);
        pos = lf < 0 ? text.size() : lf + 1;
        // The line end is CR LF or LF; a last line without one keeps all its characters.
        if (lf >= 0 && line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('T'))
            continue;
        *anyLine = true;
        ++lineNumber;
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0)
            line.truncate(slash);
        if (IsBlank(line))
            continue;

        Side side = Side::Source;
        int number = 0;
        QByteArray description;
        if (const int error = ParseLine(line, &side, &number, &description))
            return {kBadLine, LineMessage(error, line, lineNumber)};
        if (m_changeList.size() < kChangeListEntries)
            m_changeList.push_back(
                static_cast<std::uint16_t>((side == Side::Destination ? 0x8000 : 0) | number));
        ++m_parsedLines;
        m_descriptions.At(side, number).SetText(description);
    }
    return {};
}

QByteArray DescriptionConverter::OutputImage() const {
    QByteArray img = m_descriptions.Image();
    img.append(QByteArray(kZeroTail, '\0'));
    QByteArray count(kCountBlock, '\0');
    count[0] = static_cast<char>(std::min<int>(m_parsedLines, kChangeListEntries));
    img.append(count);
    QByteArray changes(kChangeBlocks * kChangeListEntries * 2, '\0');
    for (std::size_t i = 0; i < m_changeList.size(); ++i) {
        changes[static_cast<qsizetype>(2 * i)] = static_cast<char>(m_changeList[i] >> 8);
        changes[static_cast<qsizetype>(2 * i + 1)] = static_cast<char>(m_changeList[i] & 0xFF);
    }
    img.append(changes);
    return img;
}

ConverterResult DescriptionConverter::ConvertText(const QByteArray& text, QByteArray* dauText) {
    dauText->clear();
    bool anyLine = false;
    ConverterResult result = ParseText(text, &anyLine);
    if (result.code == kOk && anyLine)
        *dauText = image::Encode(OutputImage());
    return result;
}

ConverterResult DescriptionConverter::Convert(const QByteArray& text, const QByteArray& stdText,
                                              QByteArray* dauText) {
    dauText->clear();
    if (const int r = CheckStandardSettings(stdText))
        return Failure(r);
    return ConvertText(text, dauText);
}

ConverterResult DescriptionConverter::ConvertDescriptionText(const QString& textPath, const QString& stdPath,
                                                             const QString& outputPath) {
    if (textPath.isEmpty() || stdPath.isEmpty() || outputPath.isEmpty())
        return Failure(kUsage);
    QByteArray stdText;
    if (const int r = ReadInput(stdPath, &stdText))
        return Failure(r, QFile::encodeName(stdPath));
    if (const int r = CheckStandardSettings(stdText))
        return Failure(r);
    QByteArray text;
    if (const int r = ReadInput(textPath, &text))
        return Failure(r, QFile::encodeName(textPath));
    QByteArray dau;
    const ConverterResult result = ConvertText(text, &dau);
    if (result.code != kOk || dau.isEmpty())
        return result;
    if (!WriteFileAtomically(outputPath, dau))
        return Failure(kCannotWrite, QFile::encodeName(outputPath));
    return result;
}

} // namespace qdv
