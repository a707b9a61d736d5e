// The link engine receiving descriptions or crosspoints from a device that answers the attention with
// READY and everything else with the next line of the input, in virtual time. The job must end within
// a bounded number of ticks, and a job that failed must leave the PC's file as it was.
#include "convert/TmTableRemote.h"
#include "link/Clock.h"
#include "link/LinkEngine.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/TmFile.h"
#include "support/LoopbackTransport.h"
#include "support/TestFolder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>

using namespace qdv;

namespace {

constexpr int kMaxTicks = 20000; // 200 s of virtual time: far beyond every timeout and retry
const QByteArray kOld = "old\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int kind = (data[0] & 1) ? kJobCrosspoint : kJobDescription;
    const QString target = kind == kJobCrosspoint ? QStringLiteral("backup/XPoint/ZEBU_XPT.DAU")
                                                  : QStringLiteral("backup/Name/ZEBU_NME.DAU");
    // The device's replies: the input's lines, each with its line feed.
    std::deque<QByteArray> replies;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    for (qsizetype at = 0; at < rest.size();) {
        const qsizetype lf = rest.indexOf('\n', at);
        const qsizetype end = lf < 0 ? rest.size() : lf + 1;
        replies.push_back(rest.mid(at, end - at));
        at = end;
    }

    test::TestFolder pc;
    ManualClock clock;
    test::LoopbackTransport line;
    StatusBlock status;
    StationTables stations;
    TmTableRemote resolver;
    TmFile files{pc.Path()};
    LinkEngine engine{LinkEngine::Services{clock, line, nullptr, status, stations, resolver, files}};
    SetupRecord setup;
    setup.SetBackupDataPath(pc.FilePath(QStringLiteral("backup")));
    setup.selectLan = true;
    setup.ipAddress = QStringLiteral("127.0.0.1");
    setup.remote3Port = 1001;
    setup.primaryBackupFiles = 0xFF;
    PortSettings ports;
    pc.Write(target, kOld);

    line.SetPeer([&](QByteArrayView sent) {
        if (sent.endsWith(record::FixedRecord(record::Fixed::Attention))) {
            line.Deliver(record::FixedRecord(record::Fixed::Ready));
            return;
        }
        if (!replies.empty()) {
            line.Deliver(replies.front());
            replies.pop_front();
        }
    });

    engine.Tick();
    status.Clear();
    status.direction = 0;
    status.jobKind = static_cast<std::uint32_t>(kind);
    engine.AcceptJob(setup, ports);
    int ticks = 0;
    for (; ticks < kMaxTicks && status.busy; ++ticks) {
        engine.Tick();
        clock.Advance(10);
    }
    if (status.busy)
        std::abort(); // the job never ended
    if (status.lastError != 0 && pc.Read(target) != kOld)
        std::abort(); // a failed job replaced the PC's file
    return 0;
}
