#include "support/EngineRig.h"

#include "link/Record.h"

namespace qdv::test {

EngineRig::EngineRig() {
    setup.SetBackupDataPath(pc.FilePath("backup"));
    setup.selectLan = true;
    setup.ipAddress = "127.0.0.1";
    setup.remote3Port = 1001;
    setup.primaryBackupFiles = 0xFF;
    engine.Tick(); // leaves the start state
}

void EngineRig::AnswerWith(std::deque<QByteArray> script) {
    replies = std::move(script);
    line.SetPeer([this](QByteArrayView b) {
        if (b.endsWith(record::FixedRecord(record::Fixed::Attention))) {
            line.Deliver(record::FixedRecord(record::Fixed::Ready));
            return;
        }
        if (b.size() == 1 && b[0] == record::kEtb)
            return;
        if (!replies.empty()) {
            line.Deliver(replies.front());
            replies.pop_front();
        }
    });
}

bool EngineRig::RunJob(Direction direction, int kind, int maxTicks, const std::function<void(int)>& each) {
    status.Clear();
    status.direction = direction;
    status.jobKind = static_cast<JobKind>(kind);
    driven->AcceptJob(setup, ports, folderUse);
    for (ticks = 0; ticks < maxTicks && status.busy; ++ticks) {
        driven->Tick();
        if (each)
            each(ticks);
        clock.Advance(10);
    }
    return !status.busy;
}

} // namespace qdv::test
