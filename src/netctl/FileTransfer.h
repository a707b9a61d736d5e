#pragma once

#include "store/DataFileSet.h"
#include "store/JobKind.h"

#include <QString>

namespace qdv {

// One FTP transfer between a local file and a path in the device's backup directory.
struct FtpRequest {
    Direction direction = Direction::Receive; // Send uploads the local file
    QString host;
    int port = 21;
    QString user;
    QString password;
    QString localPath;
    QString remotePath; // "<remote directory>/<file name>"
    // A download: the size the file must end with and the most it may bring (see SizeRule), and the
    // size the device announced for it (-1: none); a download that ends short of that fails too.
    datafiles::SizeRule rule{0, false, datafiles::LargestFileSize()};
    qint64 announced = -1;
};

// Runs FTP transfers one at a time without blocking the caller: Start returns at once, Busy() stays
// true until the transfer has ended, then Succeeded() tells how it went.
class FileTransfer {
public:
    virtual ~FileTransfer() = default;

    // False when the transfer cannot start at all (an upload whose local file is missing, a transfer
    // still running); nothing is then under way.
    virtual bool Start(const FtpRequest& request) = 0;
    virtual bool Busy() const = 0;
    virtual bool Succeeded() const = 0;
    // Asks a running transfer to stop; it ends soon after as failed.
    virtual void Cancel() = 0;
    // After a transfer: why it failed, and the bytes it moved.
    virtual QString LastError() const { return {}; }
    virtual qint64 LastBytes() const { return 0; }
};

} // namespace qdv
