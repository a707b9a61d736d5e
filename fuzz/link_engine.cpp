// The link engine receiving descriptions or crosspoints from a device that answers the attention with
// READY and everything else with the next line of the input, in virtual time. The job must end within
// a bounded number of ticks, and a job that failed must leave the PC's file as it was.
#include "link/TransferJobs.h"
#include "support/EngineRig.h"

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

    test::EngineRig rig;
    rig.pc.Write(target, kOld);
    rig.AnswerWith(std::move(replies));

    if (!rig.RunJob(Direction::Receive, kind, kMaxTicks))
        std::abort(); // the job never ended
    if (rig.status.lastError != 0 && rig.pc.Read(target) != kOld)
        std::abort(); // a failed job replaced the PC's file
    return 0;
}
