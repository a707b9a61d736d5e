// Feeds arbitrary bytes to the network-controller exchange as a device's answer to a GetInfo and to a
// BackUpReady request, and reads them also as an answer document without the HTTP part. Checks what a
// GetInfo answer leaves: at most the largest file table, every entry there, and only bare file names
// marked usable (a usable name becomes a local path).
#include "netctl/TmTableXML.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace qdv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/qdv70fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/qdv70fuzz-XXXXXX"));
    const QByteArrayView answer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TmTableXML table(folder.path());
    table.AcceptResponse(TmTableXML::Request::GetInfo, answer);
    table.AcceptResponse(TmTableXML::Request::BackUpReady, answer);
    table.ReadGetInfo(answer.toByteArray());
    TmTableXML::StatusOk(answer.toByteArray());

    if (table.FileCount() > TmTableXML::kMaxFiles || table.File(table.FileCount() + 1) != nullptr)
        std::abort();
    for (int i = 1; i <= table.FileCount(); ++i) {
        const TmTableXML::DeviceFile* f = table.File(i);
        if (f == nullptr || (f->usable && !TmTableXML::IsBareFileName(f->name)))
            std::abort();
    }
    return 0;
}
