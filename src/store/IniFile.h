#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace qdv {

// A profile file ("INI") with the semantics of the Windows profile functions, so that files written by
// the Windows program load and keep their form: section and key names compare without regard to case
// (the first match wins), names and values are trimmed, a value in matching quotes loses them. Writes
// change only the line of the key concerned; comments, blank lines, unknown keys and sections, raw bytes
// of untouched lines and the file's line-end style are kept as they were.
//
// A file is read as UTF-8 when all of it is valid UTF-8 (or it begins with the UTF-8 mark), else as the
// Windows Japanese code page (CP932), in which the Windows program writes names and paths. Writing a
// value equal to the one stored leaves its bytes alone; a changed value is written in the file's own
// encoding, so a CP932 file stays CP932 for the Windows program.
class IniFile {
public:
    IniFile() = default;

    // Replaces the contents with the parsed bytes.
    void LoadBytes(const QByteArray& bytes);
    // Replaces the contents with the file's; false (and empty contents) when it cannot be read.
    bool Load(const QString& path);
    QByteArray ToBytes() const;
    // Replaces the file at `path` through an atomic rename of a complete, flushed file. Refused, the file
    // untouched, when a value written has a character the file's encoding cannot hold.
    bool Save(const QString& path, QString* error = nullptr) const;
    // True for a file read as CP932.
    bool WindowsJapanese() const { return m_cp932; }

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A missing key or a value that is not a whole integer (decimal, or hexadecimal after "0x" or "$")
    // gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // An integer; any value other than 0 is true.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Updates the first matching key in place, else appends the key at the end of its section, else
    // appends the section at the end of the file. Line breaks in the value become spaces.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

private:
    struct Line {
        QByteArray text; // without its line end
        QByteArray eol;  // "\r\n", "\n", or empty for a last line without one
        bool isKey = false;
        QString key; // trimmed key name when isKey
    };
    struct Section {
        bool hasHeader = false; // false only for the lines before the first header
        Line header;
        QString name;
        std::vector<Line> lines;
    };

    const Section* FindSection(const QString& name) const;
    static const Line* FindKey(const Section& section, const QString& key);
    QString ValueOf(const Line& line) const;
    QString Decode(const QByteArray& bytes) const;
    QByteArray Encode(const QString& text, const QString& what);
    Line* LastLine();
    Line NewLine(const QByteArray& text) const;

    QByteArray m_bom;
    bool m_cp932 = false;
    QString m_unwritable; // the first value the file's encoding cannot hold
    QByteArray m_eol = "\n";
    std::vector<Section> m_sections;
    QHash<QString, int> m_index; // case-folded section name -> index of its first section
};

} // namespace qdv
