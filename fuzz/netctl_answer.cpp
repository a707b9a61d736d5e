// Feeds arbitrary bytes to the network-controller exchange as a device's answer to a GetInfo and to a
// BackUpReady request, and reads them also as an answer document without the HTTP part. Checks what a
// GetInfo answer leaves: at most the largest file table, every entry there, and only bare file names
// marked usable (a usable name becomes a local path).
//
// Answers are read up to 1 MiB, so inputs may be that long; each must be read within a few seconds
// however it is nested. Both are the target's defaults (-max_len, -timeout); flags given win.
#include "netctl/TmTableXML.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace qdv;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args;
    static std::string maxLen = "-max_len=" + std::to_string(TmTableXML::kMaxAnswer);
    static std::string timeout = "-timeout=5";
    args.assign(*argv, *argv + *argc);
    bool haveMaxLen = false, haveTimeout = false;
    for (char* a : args) {
        haveMaxLen = haveMaxLen || std::strncmp(a, "-max_len=", 9) == 0;
        haveTimeout = haveTimeout || std::strncmp(a, "-timeout=", 9) == 0;
    }
    // Flags go before the corpus folders; libFuzzer takes them anywhere after the program name.
    if (!haveMaxLen)
        args.insert(args.begin() + 1, maxLen.data());
    if (!haveTimeout)
        args.insert(args.begin() + 1, timeout.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

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
