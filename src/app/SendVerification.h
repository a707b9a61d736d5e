#pragma once

#include "store/SetupRecord.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

namespace qdv {

class TmTableRemote;

// Proof that a send put the data into the device: after the send, the same job in the receive
// direction stores the device's files in a folder of their own (the backup folder stays as it is), and
// each file is compared byte for byte with what was sent. The command-line tool (`send --verify`) and
// the main window ("Verify after sending") share this comparison.
class SendVerification {
public:
    // The outcome for one file.
    struct FileCheck {
        QString name;
        std::int64_t address = -1; // first differing byte, -1 when equal
        QString error;             // why the file could not be compared, empty when it could

        bool Ok() const { return error.isEmpty() && address < 0; }
        // "ZEBU_STD.DAU: verified", "...: differs from the device at address 0x0001",
        // "...: cannot be compared: <reason>".
        QString Text() const;
    };

    // The data type codes of the files a send of `kind` moves for `setup`; a crosspoint send goes as a
    // compact list, but the device keeps, and sends back, the file it was made from.
    static QList<int> FilesOfKind(const SetupRecord& setup, int kind);
    // `setup` with its backup folder moved to `folder`: the read-back job stores there.
    static SetupRecord ReadBackSetup(const SetupRecord& setup, const QString& folder);
    // Compares each file of the send with its read-back copy in `folder`.
    static std::vector<FileCheck> Compare(const TmTableRemote& resolver, const SetupRecord& setup, int kind,
                                          const QString& folder);
    static int Differing(const std::vector<FileCheck>& checks);
};

} // namespace qdv
