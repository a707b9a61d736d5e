#include "PcDriver.h"

#include "link/Record.h"
#include "support/TestFolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace qdv::sim::test {
namespace {

using record::Fixed;
using record::FixedRecord;

const QByteArray kAck(1, record::kAck);
const QByteArray kNak(1, record::kNak);

TEST(FaultTable, namesRoundTripAndUnknownNamesAreRefused) {
    FaultPlan plan;
    plan.Add(Fault::NakOnce);
    for (const FaultInfo& f : FaultTable()) {
        EXPECT_EQ(plan.Fire(f.fault, "x"), f.fault == Fault::NakOnce) << "only the given fault fires";
        const auto parsed = FaultFromName(QString::fromLatin1(f.name));
        ASSERT_TRUE(parsed.has_value()) << f.name;
        EXPECT_EQ(*parsed, f.fault);
        EXPECT_STREQ(InfoOf(f.fault).name, f.name);
    }
    EXPECT_FALSE(FaultFromName(u"nak-thrice").has_value());
    EXPECT_FALSE(FaultFromName(u"").has_value());
}

// One PC session with a controller whose plan has one fault; the served file has three lines.
struct Session {
    explicit Session(const qdv::test::TestFolder& dir, FaultPlan* plan) : sim(dir.Path(), plan), pc(&sim) {}
    // Handshake and request; returns the controller's answer to the ACK of the start record.
    QByteArray FirstData() {
        EXPECT_TRUE(pc.Handshake());
        const QByteArray start = pc.Send(record::BuildRequest('8', 0, '3'));
        EXPECT_EQ(record::View(start).Cmd(), '1');
        return pc.Ack();
    }
    // Handshake and start record of a send; returns the answer to the first data record.
    QByteArray PutFirstData() {
        EXPECT_TRUE(pc.Handshake());
        EXPECT_EQ(pc.Send(StartRecord()), kAck);
        return pc.Send(DataRecord());
    }
    static QByteArray StartRecord() { return record::Build(0, '1', 1, '5', 0, {}); }
    static QByteArray DataRecord() { return record::Build(1, '2', 1, '5', 0, QByteArray(256, 'C')); }

    SimulatedController sim;
    PcDriver pc;
};

// The correct first data record of the served file.
QByteArray CorrectFirstData(const qdv::test::TestFolder& dir) {
    return record::Build(1, '2', 1, '3', 0, dir.Read(QStringLiteral("Primary/ZEBU_TLN.DAU")).left(256));
}

using Check = std::function<void(Session&, const qdv::test::TestFolder&)>;

const std::map<Fault, Check>& Checks() {
    static const std::map<Fault, Check> checks = {
        {Fault::NoReady,
         [](Session& s, auto&) {
             EXPECT_TRUE(s.pc.Send(record::AttentionSequence()).isEmpty());
             EXPECT_TRUE(s.pc.Send(record::AttentionSequence()).isEmpty());
         }},
        {Fault::NakOnce,
         [](Session& s, auto&) {
             EXPECT_EQ(s.PutFirstData(), kNak);
             EXPECT_EQ(s.pc.Send(Session::DataRecord()), kAck);
         }},
        {Fault::NakTwice,
         [](Session& s, auto&) {
             EXPECT_EQ(s.PutFirstData(), kNak);
             EXPECT_EQ(s.pc.Send(Session::DataRecord()), kNak);
             EXPECT_EQ(s.pc.Send(Session::DataRecord()), kAck);
         }},
        {Fault::NoAck,
         [](Session& s, auto&) {
             EXPECT_TRUE(s.PutFirstData().isEmpty());
             EXPECT_TRUE(s.pc.Send(Session::DataRecord()).isEmpty()) << "nor the resend";
         }},
        {Fault::BadChecksumOnce,
         [](Session& s, auto& dir) {
             const QByteArray bad = s.FirstData();
             EXPECT_FALSE(PcDriver::IsValidRecord(bad));
             EXPECT_EQ(bad.left(15), CorrectFirstData(dir).left(15));
             EXPECT_EQ(s.pc.Nak(), CorrectFirstData(dir));
         }},
        {Fault::BadChecksumTwice,
         [](Session& s, auto& dir) {
             EXPECT_FALSE(PcDriver::IsValidRecord(s.FirstData()));
             EXPECT_FALSE(PcDriver::IsValidRecord(s.pc.Nak()));
             EXPECT_EQ(s.pc.Nak(), CorrectFirstData(dir));
         }},
        {Fault::Stall,
         [](Session& s, auto& dir) {
             const QByteArray half = s.FirstData();
             EXPECT_EQ(half, CorrectFirstData(dir).left(half.size()));
             EXPECT_LT(half.size(), CorrectFirstData(dir).size());
             EXPECT_TRUE(s.pc.Nak().isEmpty());
             EXPECT_TRUE(s.pc.Ack().isEmpty());
         }},
        {Fault::AbortRecord,
         [](Session& s, auto&) {
             EXPECT_EQ(s.FirstData(), FixedRecord(Fixed::Abort));
             EXPECT_TRUE(s.pc.Ack().isEmpty());
         }},
        {Fault::UnexpectedPn,
         [](Session& s, auto& dir) {
             const QByteArray wrong = s.FirstData();
             EXPECT_TRUE(PcDriver::IsValidRecord(wrong));
             EXPECT_NE(record::View(wrong).Pn(), 1);
             EXPECT_EQ(s.pc.Nak(), CorrectFirstData(dir));
         }},
        {Fault::WrongId,
         [](Session& s, auto&) {
             const QByteArray wrong = s.FirstData();
             EXPECT_TRUE(PcDriver::IsValidRecord(wrong));
             EXPECT_NE(record::View(wrong).Id(), 1);
         }},
        {Fault::WrongType,
         [](Session& s, auto&) {
             const QByteArray wrong = s.FirstData();
             EXPECT_TRUE(PcDriver::IsValidRecord(wrong));
             EXPECT_NE(record::View(wrong).DataType(), '3');
         }},
        {Fault::ReadyBeforeData,
         [](Session& s, auto& dir) {
             EXPECT_EQ(s.FirstData(), FixedRecord(Fixed::Ready).toByteArray() + CorrectFirstData(dir));
         }},
        {Fault::SkipOffset,
         [](Session& s, auto&) {
             s.pc.Handshake();
             const QList<QByteArray> recs = s.pc.Fetch(record::BuildRequest('8', 0, '3'));
             ASSERT_EQ(recs.size(), 5); // start, two of the three data records, end, end-of-transfer
             EXPECT_EQ(record::View(recs[1]).Oset(), 0u);
             EXPECT_EQ(record::View(recs[2]).Oset(), 256u);
             EXPECT_EQ(record::View(recs[2]).Pn(), 2);
             EXPECT_EQ(record::View(recs[3]).Pn(), 3);
         }},
        {Fault::WrongByte,
         [](Session& s, auto& dir) {
             EXPECT_EQ(s.PutFirstData(), kAck);
             EXPECT_EQ(s.pc.Send(record::Build(2, '3', 1, '5', 0, {})), kAck);
             const QByteArray stored = dir.Read(QStringLiteral("Primary/ZEBU_LVG.DAU"));
             EXPECT_EQ(stored, QByteArray("CCC0CCCCCCCC").append(QByteArray(244, 'C')) + "\r\n");
         }},
        {Fault::DropLine,
         [](Session& s, auto&) {
             EXPECT_TRUE(s.PutFirstData().isEmpty());
             EXPECT_TRUE(s.pc.Dropped());
             EXPECT_TRUE(s.pc.Send(record::AttentionSequence()).isEmpty()) << "the line is gone";
         }},
    };
    return checks;
}

// Each fault shows up as its table says, and once spent (every fault but no-ready) a later connection
// of the same process gets a clean receive and a clean send.
TEST(Faults, eachFaultFiresWhereItsTableSaysAndOnlyThen) {
    for (const FaultInfo& info : FaultTable()) {
        SCOPED_TRACE(info.name);
        qdv::test::TestFolder dir;
        const QByteArray served = DataFileText(3 * 128, 3);
        dir.Write(QStringLiteral("Primary/ZEBU_TLN.DAU"), served);
        FaultPlan plan;
        plan.Add(info.fault);
        const auto check = Checks().find(info.fault);
        // The exchange faults leave the packet protocol alone.
        const bool exchangeFault = info.fault >= Fault::XmlNoOk;
        ASSERT_TRUE(exchangeFault || check != Checks().end()) << "no check for this fault";
        {
            Session s(dir, &plan);
            if (exchangeFault)
                EXPECT_EQ(s.FirstData(), CorrectFirstData(dir));
            else
                check->second(s, dir);
            s.sim.Disconnected();
        }
        Session next(dir, &plan);
        if (info.fault == Fault::NoReady) {
            EXPECT_FALSE(next.pc.Handshake());
            continue;
        }
        ASSERT_TRUE(next.pc.Handshake());
        const QList<QByteArray> recs = next.pc.Fetch(record::BuildRequest('8', 0, '3'));
        EXPECT_EQ(recs.size(), 6);
        EXPECT_EQ(PcDriver::FileText(recs), served);
        next.pc.Etb();
        ASSERT_TRUE(next.pc.Handshake());
        EXPECT_TRUE(next.pc.Put('5', 1, served));
        EXPECT_EQ(dir.Read(QStringLiteral("Primary/ZEBU_LVG.DAU")), served);
        EXPECT_FALSE(next.pc.Dropped());
    }
}

TEST(Faults, aRepeatingFaultEndsItsRunOnADifferentRecordOrAtTheEndOfTheTransfer) {
    FaultPlan plan;
    plan.Add(Fault::NakTwice);
    plan.Add(Fault::NoAck);
    EXPECT_TRUE(plan.Fire(Fault::NakTwice, "first"));
    EXPECT_FALSE(plan.Fire(Fault::NakTwice, "second"));
    EXPECT_FALSE(plan.Fire(Fault::NakTwice, "first"));

    EXPECT_TRUE(plan.Fire(Fault::NoAck, "r"));
    EXPECT_TRUE(plan.Fire(Fault::NoAck, "r"));
    EXPECT_TRUE(plan.Fire(Fault::NoAck, "r"));
    plan.EndTransfer();
    EXPECT_FALSE(plan.Fire(Fault::NoAck, "r")) << "the same file sent again in a new transfer";
}

} // namespace
} // namespace qdv::sim::test
