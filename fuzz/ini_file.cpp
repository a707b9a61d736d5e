// Loads arbitrary bytes as a profile file, reads and writes keys, and checks that the written form
// loads back to the same bytes and the same values.
#include "store/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

namespace {

// Section and key names taken from the input, so that reads and writes hit the names the file holds.
// The program's own names are plain words, so only letters and digits are kept.
QString NameAt(const QByteArray& bytes, qsizetype at) {
    QString name;
    for (qsizetype i = at; i < bytes.size() && name.size() < 8; ++i) {
        const char c = bytes[i];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            name += QLatin1Char(c);
        else if (!name.isEmpty())
            break;
    }
    return name.isEmpty() ? QStringLiteral("Key") : name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniFile ini;
    ini.LoadBytes(bytes);

    const QString section = NameAt(bytes, 3);
    const QString key = NameAt(bytes, 11);
    const QString value = ini.ReadString(section, key, QStringLiteral("default"));
    (void)ini.ReadInteger(section, key, 7);
    (void)ini.ReadBool(section, key, false);
    (void)ini.HasSection(section);
    (void)ini.HasKey(section, key);

    // Untouched contents come back as they were loaded.
    if (ini.ToBytes() != bytes)
        std::abort();

    // A value taken from the file is written under a fixed name and must read back as written, with
    // line breaks turned into spaces (blanks at either end are kept by quoting).
    const QString written = value + QStringLiteral(" x");
    ini.WriteString(section, key, value);
    ini.WriteString(QStringLiteral("Fuzz"), QStringLiteral("Value"), written);
    ini.WriteInteger(QStringLiteral("Fuzz"), QStringLiteral("Number"), 42);
    const QByteArray out = ini.ToBytes();

    IniFile again;
    again.LoadBytes(out);
    if (again.ToBytes() != out)
        std::abort();
    QString expected = written;
    expected.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (again.ReadString(QStringLiteral("Fuzz"), QStringLiteral("Value"), {}) != expected)
        std::abort();
    if (again.ReadInteger(QStringLiteral("Fuzz"), QStringLiteral("Number"), 0) != 42)
        std::abort();
    return 0;
}
