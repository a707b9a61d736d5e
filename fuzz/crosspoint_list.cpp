// Arbitrary bytes as ZEBU_XPT.DAU for the crosspoint list. A refused list must leave the output as it
// was; a written one holds whole 8-character records in lines of CR LF.
#include "convert/CrosspointList.h"
#include "store/AtomicFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    static const QString input = dir.filePath(QStringLiteral("ZEBU_XPT.DAU"));
    static const QString output = dir.filePath(QStringLiteral("ZEBU_XPT.MKE"));
    static const QByteArray kPrevious = "previous list\r\n";

    if (!WriteFileAtomically(input,
                             QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))) ||
        !WriteFileAtomically(output, kPrevious))
        std::abort();
    const int result = MakeCrosspointList(input, output);
    QByteArray out;
    if (!ReadWholeFile(output, &out))
        std::abort();
    if (result != kListOk) {
        if (out != kPrevious)
            std::abort();
        return 0;
    }
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        if (!line.endsWith('\r') || (line.size() - 1) % 8 != 0 || line.size() - 1 > 32 * 8)
            std::abort();
    }
    if (!out.endsWith("\r\n"))
        std::abort();
    return 0;
}
