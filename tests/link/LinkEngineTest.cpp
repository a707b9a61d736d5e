#include "base/MessageCatalogue.h"
#include "sim/SampleDataSet.h"
#include "sim/SimulatedController.h"
#include "store/DataFileSet.h"
#include "store/DataImage.h"
#include "support/EngineRig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace qdv {
namespace {

constexpr Direction kReceive = Direction::Receive;
constexpr Direction kSend = Direction::Send;

// The engine rig with a device folder and the checks every test makes of a job's end.
struct Rig : test::EngineRig {
    test::TestFolder device;

    // Runs a job to its end (or gives up after `maxTicks`); returns the job's last error.
    int Run(Direction direction, int kind, int maxTicks = 100000, const std::function<void(int)>& each = {}) {
        EXPECT_TRUE(RunJob(direction, kind, maxTicks, each)) << "job did not end";
        return static_cast<int>(status.lastError);
    }

    QByteArray PcFile(const QString& rel) const { return pc.Read("backup/" + rel); }
    bool PcHasWorkFiles() const {
        QDirIterator it(pc.FilePath("backup"), {"*.BAK"}, QDir::Files, QDirIterator::Subdirectories);
        return it.hasNext();
    }
};

// A rig whose far end is the simulated controller serving the sample data set.
struct SimRig : Rig {
    sim::FaultPlan faults;
    std::unique_ptr<sim::SimulatedController> sim;

    explicit SimRig(std::initializer_list<sim::Fault> with = {}) {
        QString error;
        EXPECT_TRUE(WriteSampleDataSet(device.Path(), &error)) << error.toStdString();
        for (sim::Fault f : with)
            faults.Add(f);
        sim = std::make_unique<sim::SimulatedController>(device.Path(), &faults);
        sim->SetOutput([this](QByteArray b) { line.Deliver(b); });
        sim->SetDropLine([this] { line.Drop(); });
        line.SetPeer([this](QByteArrayView b) { sim->Receive(b); });
    }
    // Gives the PC the device's files, as after a complete receive.
    void CopyDeviceToPc() {
        QDirIterator it(device.Path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString rel = QDir(device.Path()).relativeFilePath(it.next());
            pc.Write("backup/" + rel, device.Read(rel));
        }
    }
};

const QStringList kPrimaryFiles = {"ZEBU_STD.DAU", "ZEBU_TLN.DAU", "ZEBU_GPH.DAU", "ZEBU_LVG.DAU",
                                   "ZEBU_INH.DAU", "ZEBU_SGP.DAU", "ZEBU_422.DAU", "ZEBU_IDX.DAU"};

TEST(LinkEngine, sendsEveryKindSoThatTheDeviceHoldsThePcsFiles) {
    SimRig rig;
    rig.CopyDeviceToPc();
    // Change the PC's copies so that a send is visible on the device.
    QByteArray nme = rig.PcFile("Name/ZEBU_NME.DAU");
    nme.replace(0, 8, "41424344");
    rig.pc.Write("backup/Name/ZEBU_NME.DAU", nme);
    QByteArray std1 = rig.PcFile("Primary/ZEBU_STD.DAU");
    std1.replace(258 * 5, 4, "ABCD");
    rig.pc.Write("backup/Primary/ZEBU_STD.DAU", std1);

    EXPECT_EQ(rig.Run(kSend, kJobDescription), 0);
    EXPECT_EQ(rig.device.Read("Name/ZEBU_NME.DAU"), nme);
    EXPECT_EQ(rig.sim->ApplyRecordCount(), 1);
    EXPECT_EQ(rig.Run(kSend, kJobPrimary), 0);
    EXPECT_EQ(rig.status.primaryDoneMask, 0xFFu);
    for (const QString& f : kPrimaryFiles)
        EXPECT_EQ(rig.device.Read("Primary/" + f), rig.PcFile("Primary/" + f)) << f.toStdString();
    const QByteArray xpt = rig.PcFile("XPoint/ZEBU_XPT.DAU");
    rig.device.Write("XPoint/ZEBU_XPT.DAU", QByteArray());
    EXPECT_EQ(rig.Run(kSend, kJobCrosspoint), 0);
    EXPECT_EQ(rig.device.Read("XPoint/ZEBU_XPT.DAU"), xpt);
}

TEST(LinkEngine, skippedOffsetIsFilledWithZeroLines) {
    SimRig rig({sim::Fault::SkipOffset});
    EXPECT_EQ(rig.Run(kReceive, kJobDescription), 0);
    QByteArray want = rig.device.Read("Name/ZEBU_NME.DAU");
    want.replace(258, 258, QByteArray(256, '0') + "\r\n"); // the second line, which was never sent
    EXPECT_EQ(rig.PcFile("Name/ZEBU_NME.DAU"), want);
}

// Jobs of every kind, plain and through the simulator's faults, end with their codes. Every file of a job
// is reported once as it ends, in order: moved, failed with the reason, or skipped because the job ended
// before it or it could not be sent. A received file replaces the PC's copy, byte for byte, only when it
// arrived whole. Every file begins with its own handshake. A Primary job goes on after a failed file and
// lists it, reporting an error only when it ends before its last file.
TEST(LinkEngine, jobsEndWithTheirCodesAndReportEveryFile) {
    struct Expect {
        int code;
        bool skipped;
    };
    const Expect ok{0, false}, stalled{304, false}, gone{317, false};
    struct Case {
        const char* name;
        std::initializer_list<sim::Fault> faults;
        Direction direction;
        int kind;
        int code;                  // the job's last error
        int attentions;            // sent
        std::vector<Expect> files; // in the order of kPrimaryFiles, or the one file of the kind
        bool vanish = false;       // a Primary send's missing files go after the queue was built, not before
    };
    using enum sim::Fault;
    std::vector<Expect> noneTried(8, {302, true}); // the first fails waiting for READY, the rest are skipped
    noneTried[0].skipped = false;
    const auto one = [](int code) { return std::vector<Expect>{{code, false}}; };
    const Case cases[] = {
        {"all received", {}, kReceive, kJobPrimary, 0, 8, std::vector<Expect>(8, ok)},
        {"first stalls", {Stall}, kReceive, kJobPrimary, 304, 8, {stalled, ok, ok, ok, ok, ok, ok, ok}},
        {"no READY", {NoReady}, kReceive, kJobPrimary, 302, 2, noneTried},
        {"send, one missing", {}, kSend, kJobPrimary, 0, 7, {ok, {317, true}, ok, ok, ok, ok, ok, ok}},
        {"send, two vanish", {}, kSend, kJobPrimary, 317, 7, {ok, gone, ok, ok, ok, ok, ok, gone}, true},
        {"description", {}, kReceive, kJobDescription, 0, 1, {ok}},
        {"crosspoint", {}, kReceive, kJobCrosspoint, 0, 1, {ok}},
        {"no READY, one file", {NoReady}, kReceive, kJobDescription, 302, 2, one(302)},
        {"NAK once", {NakOnce}, kSend, kJobDescription, 0, 1, {ok}},
        {"NAK twice", {NakTwice}, kSend, kJobDescription, 303, 1, one(303)},
        {"no ACK", {NoAck}, kSend, kJobCrosspoint, 303, 1, one(303)},
        {"bad checksum once", {BadChecksumOnce}, kReceive, kJobDescription, 0, 1, {ok}},
        {"bad checksum twice", {BadChecksumTwice}, kReceive, kJobDescription, 310, 1, one(310)},
        {"stall", {Stall}, kReceive, kJobDescription, 304, 1, one(304)},
        {"abort record", {AbortRecord}, kReceive, kJobDescription, 318, 1, one(318)},
        {"wrong byte, which only a verify sees", {WrongByte}, kSend, kJobDescription, 0, 1, {ok}},
        {"unexpected packet number", {UnexpectedPn}, kReceive, kJobDescription, 306, 1, one(306)},
        {"wrong id", {WrongId}, kReceive, kJobDescription, 314, 1, one(314)},
        {"wrong type", {WrongType}, kReceive, kJobDescription, 315, 1, one(315)},
        {"READY before data", {ReadyBeforeData}, kReceive, kJobDescription, 0, 1, {ok}},
        {"line dropped, receiving", {DropLine}, kReceive, kJobDescription, 319, 1, one(319)},
        {"line dropped, sending", {DropLine}, kSend, kJobDescription, 319, 1, one(319)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig(c.faults);
        if (c.direction == kSend) {
            rig.CopyDeviceToPc();
            if (c.kind == kJobPrimary && !c.vanish)
                QFile::remove(rig.pc.FilePath("backup/Primary/ZEBU_TLN.DAU"));
            rig.line.SetPeer([&rig, vanish = c.vanish](QByteArrayView b) mutable {
                // The queue is built when the first file starts; the last file goes too, to end the job.
                if (vanish && b.endsWith(record::FixedRecord(record::Fixed::Attention))) {
                    vanish = false;
                    QFile::remove(rig.pc.FilePath("backup/Primary/ZEBU_TLN.DAU"));
                    QFile::remove(rig.pc.FilePath("backup/Primary/ZEBU_IDX.DAU"));
                }
                rig.sim->Receive(b);
            });
        } else {
            for (const QString& f : kPrimaryFiles)
                rig.pc.Write("backup/Primary/" + f, "kept\r\n");
            rig.pc.Write("backup/Name/ZEBU_NME.DAU", "kept\r\n");
            rig.pc.Write("backup/XPoint/ZEBU_XPT.DAU", "kept\r\n");
        }
        EXPECT_EQ(rig.Run(c.direction, c.kind), c.code);
        const std::vector<FileResult> got = rig.status.TakeFileResults();
        ASSERT_EQ(got.size(), c.files.size());
        unsigned done = 0;
        // A skipped send is reported while the queue is built, before the files that were sent.
        for (const FileResult& r : got) {
            const QString rel = QDir(rig.pc.FilePath("backup")).relativeFilePath(r.path);
            const int at = c.kind == kJobPrimary ? static_cast<int>(kPrimaryFiles.indexOf(r.Name())) : 0;
            ASSERT_GE(at, 0) << rel.toStdString();
            const Expect& e = c.files[static_cast<std::size_t>(at)];
            EXPECT_EQ(r.code, e.code) << rel.toStdString();
            EXPECT_EQ(r.skipped, e.skipped) << rel.toStdString();
            if (e.code == 0) {
                done |= 1u << at;
                EXPECT_EQ(r.bytes, QFileInfo(r.path).size()) << rel.toStdString();
                EXPECT_GT(r.bytes, 0) << rel.toStdString();
            }
            if (c.direction == kReceive) {
                EXPECT_EQ(rig.PcFile(rel), e.code == 0 ? rig.device.Read(rel) : "kept\r\n")
                    << rel.toStdString();
            }
        }
        EXPECT_EQ(rig.status.primaryDoneMask, c.kind == kJobPrimary ? done : 0u);
        EXPECT_EQ(rig.status.error.load(), c.kind == kJobPrimary ? c.files.back().skipped : c.code != 0);
        EXPECT_EQ(rig.line.sent.count(record::AttentionSequence()), c.attentions);
        // A LAN job without a network controller goes over TCP.
        EXPECT_EQ(rig.line.lastTarget.host, "127.0.0.1");
        EXPECT_EQ(rig.line.lastTarget.port, 1001);
        EXPECT_FALSE(rig.PcHasWorkFiles());
    }
}

TEST(LinkEngine, fileThatCannotBeStoredIsReportedWithTheSystemsError) {
    SimRig rig;
    // A folder where the working copy would go makes every write of it fail.
    ASSERT_TRUE(QDir().mkpath(rig.pc.FilePath("backup/Name/ZEBU_NME.BAK")));
    EXPECT_EQ(rig.Run(kReceive, kJobDescription), 317);
    const std::vector<FileResult> got = rig.status.TakeFileResults();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 317);
    EXPECT_TRUE(got[0].detail.contains("ZEBU_NME.BAK: ")) << got[0].detail.toStdString();
}

TEST(LinkEngine, endPauseSaysWhenItRunsOutAndHoldsTheResultUntilThen) {
    // Stepped every millisecond, so that the engine is seen at the moment the exchange ends.
    SimRig rig;
    rig.status.Clear();
    rig.status.direction = kReceive;
    rig.status.jobKind = kJobDescription;
    rig.engine.AcceptJob(rig.setup, rig.ports);
    for (int ms = 0; ms < 60000 && rig.engine.EndPauseLeftMs() < 0; ++ms) {
        rig.clock.Advance(1);
        rig.engine.Tick();
    }
    EXPECT_EQ(rig.engine.EndPauseLeftMs(), 40);
    // One millisecond short of the pause the result is still held back; at its end it is reported.
    rig.clock.Advance(39);
    rig.engine.Tick();
    EXPECT_TRUE(rig.status.busy);
    EXPECT_EQ(rig.engine.EndPauseLeftMs(), 1);
    rig.clock.Advance(1);
    rig.engine.Tick();
    EXPECT_FALSE(rig.status.busy);
    EXPECT_EQ(rig.status.lastError, 0u);
    EXPECT_EQ(rig.engine.EndPauseLeftMs(), -1);
}

// Cancel ends a job at once with 102, no error and the PC's file as it was, and sends ETB since the line
// is up: mid-file, where the device stalls, before the time-out; or during the READY wait.
TEST(LinkEngine, abortSendsEtbAndEndsWith102WithoutError) {
    for (const int abortAt : {50, 5}) {
        SCOPED_TRACE(abortAt == 50 ? "mid-file" : "READY wait");
        SimRig rig({sim::Fault::Stall});
        if (abortAt == 5)
            rig.line.SetPeer({});
        rig.pc.Write("backup/Name/ZEBU_NME.DAU", "old\r\n");
        const int code = rig.Run(kReceive, kJobDescription, 20000, [&](int tick) {
            if (tick == abortAt)
                rig.status.abortRequest = true;
        });
        EXPECT_EQ(code, 102);
        EXPECT_LT(rig.ticks, abortAt + 10);
        EXPECT_FALSE(rig.status.error);
        EXPECT_TRUE(rig.line.sent.endsWith(QByteArray(1, record::kEtb)));
        EXPECT_EQ(rig.line.closes, 1);
        EXPECT_EQ(rig.PcFile("Name/ZEBU_NME.DAU"), "old\r\n");
        EXPECT_FALSE(rig.PcHasWorkFiles());
    }
}

// A job whose backup folder another writer holds waits, saying who in status line 1, until the folder
// is free, the wait runs out (the job fails with that text, touching nothing) or the operator cancels.
TEST(LinkEngine, jobWaitsForItsBackupFolder) {
    struct Case {
        const char* name;
        int releaseAtTick; // < 0: held throughout
        int abortAtTick;   // < 0: no Cancel
        int code;
        bool failureText;
    };
    const Case cases[] = {
        {"freed during the wait", 30, -1, 0, false},
        {"the wait runs out", -1, -1, 317, true},
        {"cancelled", -1, 20, 102, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig;
        rig.pc.Write("backup/Name/ZEBU_NME.DAU", "old\r\n");
        rig.folderUse.waitMs = 500;
        test::OtherWriter other(rig.pc.FilePath("backup"), QStringLiteral("importing"));
        QString waiting;
        const int code = rig.Run(kReceive, kJobDescription, 20000, [&](int tick) {
            if (tick == 10)
                waiting = rig.status.Line1();
            if (tick == c.releaseAtTick)
                other.Release();
            if (tick == c.abortAtTick)
                rig.status.abortRequest = true;
        });
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(waiting.startsWith("waiting for the backup folder: ")) << waiting.toStdString();
        EXPECT_TRUE(waiting.endsWith(QStringLiteral("(pid %1) is importing").arg(::getpid())))
            << waiting.toStdString();
        EXPECT_EQ(rig.status.JobFailure(), c.failureText ? waiting + " (gave up after 1 s)" : QString());
        EXPECT_EQ(rig.PcFile("Name/ZEBU_NME.DAU"),
                  c.code == 0 ? rig.device.Read("Name/ZEBU_NME.DAU") : QByteArray("old\r\n"));
    }
}

QByteArray Rec(int pn, char cmd, char type, QByteArrayView data = {}, std::uint8_t id = 1,
               std::uint32_t oset = 0) {
    return record::Build(pn, cmd, id, type, oset, data);
}

// A description file of its whole size from two records: its first line, and its short last line at
// the last line's offset (the lines between are filled with "0").
const QByteArray kFirstLine = QByteArray("0102").repeated(64);
const QByteArray kLastLine = QByteArray("03").repeated(8);
constexpr std::uint32_t kLastLineOset = 278 * 128;
const QByteArray kWholeNme =
    kFirstLine + "\r\n" + (QByteArray(256, '0') + "\r\n").repeated(277) + kLastLine + "\r\n";

// A refused record is asked for once more: a good one then goes on, a second refusal fails the file.
// A received file of a known kind replaces the stored one only with its kind's size, and one that grows
// past it is abandoned at once: a short file, a record at a far offset (which grew a 330240-byte file of
// filler lines), and records repeated at one offset (which grew the work file without end).
TEST(LinkEngine, recordReceiverRefusesBadRecordsAndFilesOfTheWrongSize) {
    QByteArray badFirst = Rec(1, '2', '7', kFirstLine);
    badFirst[19] = badFirst[19] == '0' ? '1' : '0';
    const QByteArray eot = record::FixedRecord(record::Fixed::EndOfTransfer).toByteArray();
    QByteArray badEnd = Rec(1, '2', '7', "00");
    badEnd[19] = 'X';
    QByteArray badCs = Rec(1, '2', '7', "00");
    badCs[17] = badCs[17] == '0' ? '1' : '0';
    const QByteArray nak(1, record::kNak);
    std::vector<QByteArray> again{Rec(0, '1', '7')};
    for (int i = 1; i < 1000; ++i)
        again.push_back(Rec(i & 15, '2', '7', QByteArray(256, 'A')));
    const QString tooShort = "34 bytes received, 71742 expected",
                  tooLong = "71982 bytes received, 71742 expected";
    struct Case {
        const char* name;
        std::vector<QByteArray> replies;
        int code;
        QString notStored = {}; // the reason the file is listed as not stored, if it is
    } cases[] = {
        {"size over twice", {":81000000000000", ":81000000000000"}, 305},
        {"CR LF missing twice", {Rec(0, '1', '7'), badEnd, badEnd}, 312},
        {"checksum twice", {Rec(0, '1', '7'), badCs, badCs}, 310},
        {"NAK instead of a record twice", {nak, nak}, 320},
        {"unexpected command", {Rec(0, '1', '7'), Rec(1, '5', '7')}, 313},
        {"end at the start", {Rec(0, 'E', '7')}, 318},
        {"offset beyond any data file", {Rec(0, '1', '7'), Rec(1, '2', '7', "00", 1, 0xFFFF00)}, 308},
        {"nothing after the request", {}, 304},
        {"checksum once, then good",
         {Rec(0, '1', '7'), badFirst, Rec(1, '2', '7', kFirstLine),
          Rec(2, '3', '7', kLastLine, 1, kLastLineOset), eot},
         0},
        {"one short record", {Rec(0, '1', '7'), Rec(1, '3', '7', QByteArray(32, '1')), eot}, 317, tooShort},
        {"a record at a far offset", {Rec(0, '1', '7'), Rec(1, '3', '7', "00", 1, 163712)}, 317, tooLong},
        {"one offset again and again", again, 317, tooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.AnswerWith({c.replies.begin(), c.replies.end()});
        rig.pc.Write("backup/Name/ZEBU_NME.DAU", "old\r\n");
        EXPECT_EQ(rig.Run(kReceive, kJobDescription), c.code);
        EXPECT_EQ(rig.PcFile("Name/ZEBU_NME.DAU"), c.code == 0 ? kWholeNme : "old\r\n");
        EXPECT_FALSE(rig.PcHasWorkFiles());
        EXPECT_LT(rig.line.sent.count(record::kAck), 300) << "not stopped at once";
        QStringList notStored;
        for (const StatusBlock::NotStored& n : rig.status.NotStoredFiles())
            notStored << n.name + ": " + n.reason;
        EXPECT_EQ(notStored,
                  c.notStored.isEmpty() ? QStringList() : QStringList{"ZEBU_NME.DAU: " + c.notStored});
    }
}

// A device that keeps every wait alive (a byte every 1.5 s) cannot hold a job for ever: the job ends
// failed when its time limit runs out, however the device answers.
TEST(LinkEngine, aFileJobEndsAtItsTimeLimit) {
    Rig rig;
    rig.AnswerWith({Rec(0, '1', '7')}); // the start record, then silence but for the drip
    QByteArray drip;
    for (int pn = 1; pn < 16; ++pn)
        drip += Rec(pn, '2', '7', QByteArray(256, '0'), 1, static_cast<std::uint32_t>(128 * (pn - 1)));
    int next = 0;
    const int code = rig.Run(kReceive, kJobDescription, 100000, [&](int tick) {
        if (tick % 150 == 0 && next < drip.size())
            rig.line.Deliver(drip.mid(next++, 1));
    });
    EXPECT_EQ(code, 311);
    EXPECT_GT(rig.ticks, 60000) << "not before ten minutes";
    EXPECT_TRUE(rig.line.sent.endsWith(QByteArray(1, record::kEtb)));
}

// The receiver's two seconds run from the last bytes that arrived, not from the record's start: a record
// trickling in with pauses under the limit is taken; a pause over it costs the retry and then the file.
TEST(LinkEngine, recordTimeLimitRunsFromTheLastArrival) {
    const QByteArray data = Rec(1, '2', '7', kFirstLine);
    const QByteArray tail = Rec(2, '3', '7', kLastLine, 1, kLastLineOset) +
                            record::FixedRecord(record::Fixed::EndOfTransfer).toByteArray();
    struct Case {
        int pauseTicks;
        int code;
    } cases[] = {{150, 0}, {210, 304}};
    for (const Case& c : cases) {
        Rig rig;
        int acks = 0;
        rig.line.SetPeer([&](QByteArrayView b) {
            if (b.endsWith(record::FixedRecord(record::Fixed::Attention)))
                rig.line.Deliver(record::FixedRecord(record::Fixed::Ready));
            else if (b.size() == record::kMinLength && b[4] == '8')
                rig.line.Deliver(Rec(0, '1', '7'));
            else if (b.size() == 1 && b[0] == record::kAck && ++acks == 2)
                rig.line.Deliver(tail);
        });
        int from = -1;
        int part = 0;
        const int code = rig.Run(kReceive, kJobDescription, 20000, [&](int tick) {
            if (acks == 1 && from < 0)
                from = tick;
            if (from >= 0 && part < 3 && tick == from + part * c.pauseTicks) {
                rig.line.Deliver(data.mid(part * 10, part == 2 ? -1 : 10));
                ++part;
            }
        });
        EXPECT_EQ(code, c.code) << c.pauseTicks;
        EXPECT_EQ(rig.PcFile("Name/ZEBU_NME.DAU"), c.code == 0 ? kWholeNme : QByteArray()) << c.pauseTicks;
    }
}

TEST(LinkEngine, lineAndHandshake) {
    struct Case {
        const char* name;
        std::function<void(SimRig&)> prepare;
        int code;
        int ticks;      // of virtual time the job takes (ten seconds: the line, a READY wait), -1 for any
        int attentions; // sent, -1 for any
    };
    const Case cases[] = {
        {"open refused", [](SimRig& r) { r.line.refuseOpen = true; }, 300, -1, -1},
        {"line never up", [](SimRig& r) { r.line.neverUp = true; }, 301, 1000, -1},
        {"nobody answers: READY is asked for twice", [](SimRig& r) { r.line.SetPeer({}); }, 302, -1, 2},
        {"a serial setup without a serial worker", [](SimRig& r) { r.setup.selectLan = false; }, 301, -1, -1},
        {"the device misses the first attention: READY on the second is enough",
         [](SimRig& r) {
             r.line.SetPeer([&r, missed = false](QByteArrayView b) mutable {
                 if (!missed && b.endsWith(record::FixedRecord(record::Fixed::Attention))) {
                     missed = true;
                     return;
                 }
                 r.sim->Receive(b);
             });
         },
         0, 1000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig;
        c.prepare(rig);
        EXPECT_EQ(rig.Run(kReceive, kJobDescription), c.code);
        if (c.ticks >= 0) {
            EXPECT_NEAR(rig.ticks, c.ticks, 10);
        }
        if (c.attentions >= 0) {
            EXPECT_EQ(rig.line.sent.count(record::AttentionSequence()), c.attentions);
        }
    }
}

TEST(LinkEngine, sendOfMissingOrWrongFilesQueuesNothingOrFailsWith317) {
    SimRig rig;
    // Nothing to send: the job ends at once without an error.
    EXPECT_EQ(rig.Run(kSend, kJobDescription), 0);
    EXPECT_EQ(rig.line.opens, 0);
    // A secondary station whose file is missing is queued anyway and fails on its own.
    rig.stations.state[7] = StationTables::kChosen;
    EXPECT_EQ(rig.Run(kSend, kJobSecondary), 317);
    EXPECT_EQ(rig.stations.result[7], StationTables::kFailed);
    EXPECT_EQ(rig.stations.state[7], StationTables::kDone);
}

TEST(LinkEngine, stationMenuFillsThePresenceAndTypeTables) {
    SimRig rig;
    EXPECT_EQ(rig.Run(kReceive, kJobStationMenu), 0);
    EXPECT_EQ(rig.engine.MenuBuffer().size(), 1024);
    EXPECT_TRUE(std::ranges::any_of(rig.stations.present, [](const auto& p) { return p.load(); }));
}

// The simulated controller with secondary stations 5, 9 and 12, of which 9 is disabled and 12 silent.
// `serial` runs a second engine over the loopback line as its serial port.
struct StationRig : SimRig {
    std::unique_ptr<LinkEngine> serialEngine;

    explicit StationRig(bool serial = false) {
        const int size = datafiles::Entry(datafiles::kStationDat).imageSize;
        for (const int s : {5, 9, 12})
            device.Write(datafiles::FileName(datafiles::kStationDat, s),
                         image::Encode(QByteArray(size, char(s))));
        faults.SetStationFault(9, sim::FaultPlan::StationFault::Disabled);
        faults.SetStationFault(12, sim::FaultPlan::StationFault::Silent);
        if (serial) {
            setup.selectLan = false;
            serialEngine = std::make_unique<LinkEngine>(
                LinkEngine::Services{clock, line, &line, status, stations, resolver, files});
            serialEngine->Tick();
            driven = serialEngine.get();
        }
    }

    void Choose(std::initializer_list<int> ids) {
        for (auto& s : stations.state)
            s = StationTables::kNotChosen;
        for (const int id : ids)
            stations.state[static_cast<std::size_t>(id)] = StationTables::kChosen;
    }

    std::pair<int, int> Outcome(int id) const {
        const auto i = static_cast<std::size_t>(id);
        return {stations.state[i].load(), stations.result[i].load()};
    }
};

const std::pair<int, int> kOk{StationTables::kDone, StationTables::kSuccess};
const std::pair<int, int> kNg{StationTables::kDone, StationTables::kFailed};
const std::pair<int, int> kTimeout{StationTables::kDone, StationTables::kNoAnswer};
const std::pair<int, int> kDisabled{StationTables::kDone, StationTables::kAbortedByStation};

// Over the LAN a run takes a connection per station and goes on after every failure; over the serial
// line it stops at the first. A station that fails keeps the PC's file of it. A disabled station answers
// the start of its file with the abort record, which is recognised before the data type.
TEST(SecondaryStations, runsGoOnOverTheLanAndStopOverTheSerialLine) {
    const QByteArray sent =
        image::Encode(QByteArray(datafiles::Entry(datafiles::kStationDat).imageSize, 'x'));
    for (const bool serial : {false, true}) {
        SCOPED_TRACE(serial ? "serial" : "LAN");
        StationRig rig(serial);
        rig.pc.Write("backup/ZEBU_009.DAT", "kept 9\r\n");
        rig.pc.Write("backup/ZEBU_012.DAT", "kept 12\r\n");
        rig.Choose({5, 9, 12});
        EXPECT_EQ(rig.Run(kReceive, kJobSecondary), serial ? 318 : 304);
        EXPECT_EQ(rig.Outcome(5), kOk);
        EXPECT_EQ(rig.Outcome(9), kDisabled);
        EXPECT_EQ(rig.Outcome(12), serial ? kNg : kTimeout);
        EXPECT_EQ(rig.pc.Read("backup/ZEBU_005.DAT"), rig.device.Read("ZEBU_005.DAT"));
        EXPECT_EQ(rig.pc.Read("backup/ZEBU_009.DAT"), "kept 9\r\n");
        EXPECT_EQ(rig.pc.Read("backup/ZEBU_012.DAT"), "kept 12\r\n");
        EXPECT_EQ(rig.line.opens, serial ? 1 : 3);

        rig.CopyDeviceToPc();
        rig.pc.Write("backup/ZEBU_005.DAT", sent);
        rig.Choose({5, 9, 12});
        EXPECT_EQ(rig.Run(kSend, kJobSecondary), serial ? 318 : 303);
        EXPECT_EQ(rig.Outcome(5), kOk);
        EXPECT_EQ(rig.device.Read("ZEBU_005.DAT"), sent);
        EXPECT_EQ(rig.Outcome(9), kDisabled);
        EXPECT_EQ(rig.Outcome(12), kNg); // silent over the LAN, not tried over the serial line
    }
}

// Names arrive complete at one station or by broadcast. Names that fail end the dialog's job with an
// error: a disabled station answers the first name record with the abort record where the engine awaits
// an ACK (the job ends with 318 at once instead of waiting out the time-outs); names whose files cannot
// be loaded fail without touching the line.
TEST(SecondaryStations, namesToOneStationOrByBroadcast) {
    StationRig rig;
    rig.CopyDeviceToPc();
    struct Case {
        const char* name;
        int kind;
        int station;
        int code;
    } cases[] = {
        {"descriptions to station 7", kJobDescriptionToSecondary, 7, 0},
        {"aliases by broadcast", kJobAliasToSecondary, 255, 0},
        {"descriptions to a disabled station", kJobDescriptionToSecondary, 9, 318},
        {"aliases to a disabled station", kJobAliasToSecondary, 9, 318},
        {"descriptions without their file", kJobDescriptionToSecondary, 7, 317},
        {"aliases without their files", kJobAliasToSecondary, 7, 317},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.code == 317) {
            ASSERT_TRUE(QDir(rig.pc.FilePath("backup/Name")).removeRecursively());
        }
        const int opens = rig.line.opens;
        const int records = rig.sim->NameRecordCount();
        rig.stations.currentStation = c.station;
        rig.stations.dialogState = 1;
        EXPECT_EQ(rig.Run(kSend, c.kind), c.code);
        EXPECT_EQ(rig.stations.dialogState, 3);
        EXPECT_EQ(rig.stations.dialogError, c.code != 0);
        if (c.code != 0) {
            EXPECT_LT(rig.ticks, 300);
            EXPECT_EQ(rig.sim->NameRecordCount(), records);
        }
        if (c.code == 317) {
            EXPECT_TRUE(rig.status.error);
            EXPECT_EQ(rig.line.opens, opens);
        }
    }
    const QString at7 = datafiles::StationFolderName(7) + "/Name/";
    EXPECT_EQ(rig.device.Read(at7 + "DESCRIPTION.DAU"),
              image::Encode(rig.resolver.Tables().Descriptions().Image()));
    for (int k = 1; k <= 7; ++k)
        EXPECT_EQ(rig.device.Read("ZEBU_255/Name/" + datafiles::AliasFileName(k)),
                  rig.device.Read("Name/" + datafiles::AliasFileName(k)))
            << k;
    EXPECT_EQ(rig.sim->NameRecordCount(), 410 + 2868);
}

// Line 2 carries either a text or the data of the record in flight; whichever was set last is what a
// reader sees, and a reader is told once that it changed. Each case starts from record data "0A0B".
TEST(StatusBlock, line2ShowsWhatWasSetLast) {
    struct Case {
        const char* name;
        std::function<void(StatusBlock&)> set;
        QString shown;
    } cases[] = {
        {"record data", [](StatusBlock& s) { s.SetRecordData("0A0B0C"); }, "0A0B0C"},
        {"record data cut to the line's length",
         [](StatusBlock& s) { s.SetRecordData(QByteArray(600, 'A')); },
         QString(StatusBlock::kLineLength, QLatin1Char('A'))},
        {"a message after record data", [](StatusBlock& s) { s.SetStatusLines(2, QString(), 319); },
         CatalogueText(319)},
        {"record data after a message",
         [](StatusBlock& s) {
             s.SetStatusLines(2, QString(), 319);
             s.SetRecordData("0C0D");
         },
         "0C0D"},
        {"a text after record data", [](StatusBlock& s) { s.SetLine2("FTP OK."); }, "FTP OK."},
        {"both lines cleared", [](StatusBlock& s) { s.SetStatusLines(0, QString(), 0); }, QString()},
        {"the block cleared", [](StatusBlock& s) { s.Clear(); }, QString()},
    };
    for (const Case& c : cases) {
        StatusBlock s;
        s.SetRecordData("0A0B");
        c.set(s);
        EXPECT_EQ(s.Line2(), c.shown) << c.name;
        QString taken;
        EXPECT_EQ(s.TakeLine2(&taken), QLatin1String(c.name) != QLatin1String("the block cleared")) << c.name;
        EXPECT_EQ(taken, c.shown) << c.name;
        EXPECT_FALSE(s.TakeLine2(&taken)) << c.name;
    }
}

} // namespace
} // namespace qdv
