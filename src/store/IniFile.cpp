#include "store/IniFile.h"

#include "store/AtomicFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace qdv {
namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

const char kWindowsJapanese[] = "windows-31j";

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

QString Folded(const QString& name) {
    return name.toCaseFolded();
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsQuoted(const QString& v) {
    return v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
           v.back() == v.front();
}

// The text stored for a value. Reading trims blanks and strips matching quotes, so a value that would
// lose something that way is written inside an extra pair of quotes.
QString StoredValue(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (IsQuoted(value) || value.trimmed().size() != value.size())
        value = QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// A whole integer: decimal with an optional sign, or a 32-bit pattern in hexadecimal after "0x" or "$",
// as the Windows program's reader accepts them.
bool ParseInteger(QString text, int* out) {
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || text.startsWith(QLatin1Char('$'))) {
        text.remove(0, text.front() == QLatin1Char('$') ? 1 : 2);
        if (text.isEmpty() || !text.front().isLetterOrNumber())
            return false;
        const uint v = text.toUInt(&ok, 16);
        if (ok)
            *out = static_cast<int>(v);
        return ok;
    }
    const int v = text.toInt(&ok, 10);
    if (ok)
        *out = v;
    return ok;
}

} // namespace

void IniFile::LoadBytes(const QByteArray& bytes) {
    m_sections.clear();
    m_index.clear();
    m_bom.clear();
    m_eol = "\n";
    m_sections.push_back(Section{});

    m_unwritable.clear();
    QByteArray data = bytes;
    if (data.startsWith(kUtf8Bom)) {
        m_bom = kUtf8Bom;
        data.remove(0, kUtf8Bom.size());
    }
    m_cp932 = m_bom.isEmpty() && !IsUtf8(data);
    const qsizetype firstBreak = data.indexOf('\n');
    if (firstBreak > 0 && data.at(firstBreak - 1) == '\r')
        m_eol = "\r\n";

    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        Line line;
        if (end < 0) {
            line.text = data.mid(pos);
            pos = data.size();
        } else {
            line.text = data.mid(pos, end - pos);
            line.eol = "\n";
            pos = end + 1;
        }
        if (line.text.endsWith('\r') && !line.eol.isEmpty()) {
            line.text.chop(1);
            line.eol = "\r\n";
        }

        const QByteArray trimmed = line.text.trimmed();
        if (trimmed.startsWith('[')) {
            qsizetype close = trimmed.indexOf(']');
            Section section;
            section.hasHeader = true;
            section.name = Decode(trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed());
            section.header = std::move(line);
            m_sections.push_back(std::move(section));
            continue;
        }
        const qsizetype eq = trimmed.indexOf('=');
        if (eq > 0 && !trimmed.startsWith(';') && !trimmed.startsWith('#')) {
            line.isKey = true;
            line.key = Decode(trimmed.left(eq).trimmed());
        }
        m_sections.back().lines.push_back(std::move(line));
    }
    // The index keeps the first of sections that share a name.
    for (int i = static_cast<int>(m_sections.size()) - 1; i > 0; --i)
        m_index.insert(Folded(m_sections[i].name), i);
}

bool IniFile::Load(const QString& path) {
    QByteArray bytes;
    const bool ok = ReadWholeFile(path, &bytes);
    LoadBytes(ok ? bytes : QByteArray());
    return ok;
}

QByteArray IniFile::ToBytes() const {
    QByteArray out = m_bom;
    for (const Section& s : m_sections) {
        if (s.hasHeader)
            out += s.header.text + s.header.eol;
        for (const Line& l : s.lines)
            out += l.text + l.eol;
    }
    return out;
}

bool IniFile::Save(const QString& path, QString* error) const {
    if (!m_unwritable.isEmpty()) {
        if (error)
            *error = QStringLiteral("%1 cannot be written in the file's encoding (Windows Japanese, CP932)")
                         .arg(m_unwritable);
        return false;
    }
    return WriteFileAtomically(path, ToBytes(), error);
}

QString IniFile::Decode(const QByteArray& bytes) const {
    if (m_cp932) {
        QStringDecoder cp932(kWindowsJapanese, QStringDecoder::Flag::Stateless);
        if (cp932.isValid())
            return cp932.decode(bytes);
        return QString::fromLatin1(bytes); // a Qt without the code page: each byte as itself
    }
    return QString::fromUtf8(bytes);
}

QByteArray IniFile::Encode(const QString& text, const QString& what) {
    if (!m_cp932)
        return text.toUtf8();
    QStringEncoder cp932(kWindowsJapanese, QStringEncoder::Flag::Stateless);
    if (!cp932.isValid())
        return text.toLatin1();
    QByteArray bytes = cp932.encode(text);
    if (cp932.hasError() && m_unwritable.isEmpty())
        m_unwritable = what;
    return bytes;
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
    const auto it = m_index.constFind(Folded(name));
    return it == m_index.constEnd() ? nullptr : &m_sections[static_cast<size_t>(it.value())];
}

const IniFile::Line* IniFile::FindKey(const Section& section, const QString& key) {
    for (const Line& l : section.lines) {
        if (l.isKey && SameName(l.key, key))
            return &l;
    }
    return nullptr;
}

QString IniFile::ValueOf(const Line& line) const {
    const qsizetype eq = line.text.indexOf('=');
    QString value = Decode(line.text.mid(eq + 1).trimmed());
    if (IsQuoted(value))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool IniFile::HasSection(const QString& section) const {
    return FindSection(section) != nullptr;
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
    const Section* s = FindSection(section);
    return s && FindKey(*s, key);
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    const Section* s = FindSection(section);
    const Line* l = s ? FindKey(*s, key) : nullptr;
    return l ? ValueOf(*l) : defaultValue;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    int value = 0;
    return ParseInteger(ReadString(section, key, QString()), &value) ? value : defaultValue;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

IniFile::Line* IniFile::LastLine() {
    for (auto s = m_sections.rbegin(); s != m_sections.rend(); ++s) {
        if (!s->lines.empty())
            return &s->lines.back();
        if (s->hasHeader)
            return &s->header;
    }
    return nullptr;
}

IniFile::Line IniFile::NewLine(const QByteArray& text) const {
    Line line;
    line.text = text;
    line.eol = m_eol;
    return line;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString what = QStringLiteral("[%1] %2").arg(section, key);
    const QByteArray stored = Encode(StoredValue(value), what);
    Line keyLine = NewLine(Encode(key, what) + '=' + stored);
    keyLine.isKey = true;
    keyLine.key = key;

    if (const Section* found = FindSection(section)) {
        Section& s = m_sections[static_cast<size_t>(found - m_sections.data())];
        for (Line& l : s.lines) {
            if (l.isKey && SameName(l.key, key)) {
                // An equal value keeps its bytes, so unchanged entries of a file written in another
                // encoding or quoting stay exactly as they were.
                if (ValueOf(l) != value)
                    l.text = l.text.left(l.text.indexOf('=') + 1) + stored;
                return;
            }
        }
        // After the section's last key, so that comments and blank lines before the next section stay
        // where they are.
        size_t at = 0;
        for (size_t i = 0; i < s.lines.size(); ++i) {
            if (s.lines[i].isKey)
                at = i + 1;
        }
        // Only the file's last line can lack a line end.
        Line& before = at > 0 ? s.lines[at - 1] : s.header;
        if (before.eol.isEmpty())
            before.eol = m_eol;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(keyLine));
        return;
    }

    if (Line* last = LastLine()) {
        if (last->eol.isEmpty())
            last->eol = m_eol;
        // A blank line between sections, as people write them, unless one is there already.
        if (!last->text.trimmed().isEmpty())
            m_sections.back().lines.push_back(NewLine(QByteArray()));
    }
    Section s;
    s.hasHeader = true;
    s.name = section;
    s.header = NewLine('[' + Encode(section, what) + ']');
    s.lines.push_back(std::move(keyLine));
    m_index.insert(Folded(section), static_cast<int>(m_sections.size()));
    m_sections.push_back(std::move(s));
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
}

} // namespace qdv
