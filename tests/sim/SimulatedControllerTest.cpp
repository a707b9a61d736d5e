#include "PcDriver.h"

#include "convert/CrosspointList.h"
#include "convert/CrosspointTable.h"
#include "link/Record.h"
#include "store/DataImage.h"
#include "support/TestFolder.h"

#include <QDir>
#include <gtest/gtest.h>

namespace qdv::sim::test {
namespace {

using record::Fixed;
using record::FixedRecord;

class SimulatedControllerTest : public ::testing::Test {
protected:
    qdv::test::TestFolder m_dir;
    FaultPlan m_faults;
    SimulatedController m_sim{m_dir.Path(), &m_faults};
    PcDriver m_pc{&m_sim};
};

TEST_F(SimulatedControllerTest, answersTheAttentionWithReadyAndNothingElseBeforeIt) {
    const QByteArray request = record::BuildRequest('8', 0, '3');
    EXPECT_TRUE(m_pc.Send(request).isEmpty()) << "a request without the handshake is not served";
    EXPECT_TRUE(m_pc.Handshake());
    EXPECT_TRUE(m_pc.Handshake()) << "a second attention is answered again";
    m_pc.Etb();
    // The bare attention record, without the control bytes before it, is enough.
    EXPECT_EQ(m_pc.Send(FixedRecord(Fixed::Attention)), FixedRecord(Fixed::Ready));
}

struct ServeCase {
    const char* name;
    char cmd;
    std::uint8_t requestId;
    char type;
    const char* file;
    int bytes;
    std::uint8_t recordId;
};

TEST_F(SimulatedControllerTest, servesAFileRecordByRecord) {
    const ServeCase cases[] = {
        {"primary file, 21 lines so PN wraps", '8', 0, '3', "Primary/ZEBU_TLN.DAU", 20 * 128 + 30, 0x01},
        {"descriptions", '8', 0, '7', "Name/ZEBU_NME.DAU", 300, 0x01},
        {"crosspoints", 'C', 0, '2', "XPoint/ZEBU_XPT.DAU", 512, 0x01},
        {"secondary station file", '9', 0x05, '8', "ZEBU_005.DAT", 5 * 128, 0x05},
    };
    for (const ServeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray text = DataFileText(c.bytes, c.requestId + 3);
        m_dir.Write(QString::fromLatin1(c.file), text);
        ASSERT_TRUE(m_pc.Handshake());
        const QList<QByteArray> recs = m_pc.Fetch(record::BuildRequest(c.cmd, c.requestId, c.type));
        const int lines = (c.bytes + 127) / 128;
        ASSERT_EQ(recs.size(), lines + 3);
        for (int i = 0; i + 1 < recs.size(); ++i) {
            SCOPED_TRACE(i);
            ASSERT_TRUE(PcDriver::IsValidRecord(recs[i]));
            const record::View v(recs[i]);
            const char cmd = i == 0 ? '1' : i <= lines ? '2' : '3';
            EXPECT_EQ(v.Cmd(), cmd);
            EXPECT_EQ(v.Pn(), i % 16);
            EXPECT_EQ(v.Id(), c.recordId);
            EXPECT_EQ(v.DataType(), c.type);
            EXPECT_EQ(v.Oset(), cmd == '2' ? 128u * static_cast<unsigned>(i - 1) : 0u);
        }
        EXPECT_EQ(recs.last(), FixedRecord(Fixed::EndOfTransfer));
        EXPECT_EQ(PcDriver::FileText(recs), text);
        m_pc.Etb();
    }
}

TEST_F(SimulatedControllerTest, answersTheAbortRecordForAFileItCannotServe) {
    m_dir.Write(QStringLiteral("Primary/ZEBU_SGP.DAU"), "00\nZZ\r\n");
    const QByteArray requests[] = {
        record::BuildRequest('8', 0, '4'),    // missing
        record::BuildRequest('8', 0, 'A'),    // no file has this type
        record::BuildRequest('9', 0x09, '8'), // missing station
        record::BuildRequest('8', 0, '9'),    // damaged
    };
    for (const QByteArray& r : requests) {
        ASSERT_TRUE(m_pc.Handshake());
        EXPECT_EQ(m_pc.Send(r), FixedRecord(Fixed::Abort)) << r.constData();
    }
}

TEST_F(SimulatedControllerTest, findsFoldersAndFilesWhateverTheirCase) {
    const QByteArray text = DataFileText(256);
    m_dir.Write(QStringLiteral("NAME/zebu_nme.dau"), text);
    ASSERT_TRUE(m_pc.Handshake());
    EXPECT_EQ(PcDriver::FileText(m_pc.Fetch(record::BuildRequest('8', 0, '7'))), text);
    m_pc.Etb();
    ASSERT_TRUE(m_pc.Handshake());
    const QByteArray changed = DataFileText(384, 7);
    ASSERT_TRUE(m_pc.Put('7', 0x01, changed));
    EXPECT_EQ(m_dir.Read(QStringLiteral("NAME/zebu_nme.dau")), changed);
    EXPECT_FALSE(m_dir.Exists(QStringLiteral("Name")));
}

TEST_F(SimulatedControllerTest, servesTheStationMenuFromTheStandardSettings) {
    QByteArray image(16384, '\0');
    for (int a = 0x15C0; a < 0x15C0 + 512; ++a)
        image[a] = static_cast<char>(a * 7);
    m_dir.Write(QStringLiteral("Primary/ZEBU_STD.DAU"), image::Encode(image));
    ASSERT_TRUE(m_pc.Handshake());
    const QList<QByteArray> recs = m_pc.Fetch(record::BuildRequest('8', 0, '1', true));
    ASSERT_EQ(recs.size(), 7);
    EXPECT_EQ(record::View(recs[0]).Cmd(), '1');
    for (int k = 0; k < 4; ++k) {
        const record::View v(recs[1 + k]);
        EXPECT_EQ(v.Pn(), 1 + k);
        EXPECT_EQ(v.Oset(), 5568u + 128u * static_cast<unsigned>(k));
        EXPECT_EQ(v.HData(), record::ToHex(image.mid(5568 + 128 * k, 128)));
    }
    EXPECT_EQ(record::View(recs[5]).Cmd(), '3');
    EXPECT_EQ(recs[6], FixedRecord(Fixed::EndOfTransfer));
}

struct StoreCase {
    const char* name;
    char type;
    std::uint8_t id;
    const char* file;
    int bytes;
};

TEST_F(SimulatedControllerTest, storesASentFileByteForByteAndServesItBack) {
    const StoreCase cases[] = {
        {"phantom groups with a short last line", '4', 0x01, "Primary/ZEBU_GPH.DAU", 350 * 128 + 10},
        {"descriptions", '7', 0x01, "Name/ZEBU_NME.DAU", 278 * 128 + 8},
        {"secondary station", '8', 0x07, "ZEBU_007.DAT", 20 * 128 + 30},
    };
    for (const StoreCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_dir.Write(QString::fromLatin1(c.file), "old");
        const QByteArray text = DataFileText(c.bytes, 5);
        ASSERT_TRUE(m_pc.Handshake());
        ASSERT_TRUE(m_pc.Put(c.type, c.id, text));
        EXPECT_EQ(m_sim.CurrentState(), SimulatedController::State::FileStored);
        EXPECT_EQ(m_dir.Read(QString::fromLatin1(c.file)), text);
        m_pc.Etb();
        ASSERT_TRUE(m_pc.Handshake());
        const char cmd = c.type == '8' ? '9' : '8';
        EXPECT_EQ(PcDriver::FileText(m_pc.Fetch(record::BuildRequest(cmd, c.id, c.type))), text);
        m_pc.Etb();
    }
}

TEST_F(SimulatedControllerTest, etbInTheMiddleOfAFileStoresNothing) {
    m_dir.Write(QStringLiteral("Primary/ZEBU_TLN.DAU"), "old");
    ASSERT_TRUE(m_pc.Handshake());
    const QByteArray ack(1, record::kAck);
    ASSERT_EQ(m_pc.Send(record::Build(0, '1', 1, '3', 0, {})), ack);
    ASSERT_EQ(m_pc.Send(record::Build(1, '2', 1, '3', 0, QByteArray(256, 'A'))), ack);
    m_pc.Etb();
    // The end record after the ETB belongs to no transfer.
    EXPECT_TRUE(m_pc.Send(record::Build(2, '3', 1, '3', 0, {})).isEmpty());
    EXPECT_EQ(m_dir.Read(QStringLiteral("Primary/ZEBU_TLN.DAU")), "old");
    EXPECT_EQ(QDir(m_dir.FilePath(QStringLiteral("Primary"))).entryList(QDir::Files).size(), 1);
}

// Data, whether in a data record or the end record, that would reach beyond the largest image is
// refused before anything is written, so a wild offset cannot blow the file up to megabytes.
TEST_F(SimulatedControllerTest, refusesRecordsReachingBeyondTheLargestImage) {
    constexpr std::uint32_t kMax = SimulatedController::kMaxImageBytes;
    const struct {
        const char* name;
        char cmd;
        std::uint32_t oset;
        bool accepted;
    } cases[] = {
        {"data record ending at the limit", '2', kMax - 2, true},
        {"data record one byte beyond", '2', kMax - 1, false},
        {"data record at the largest offset", '2', 0xFFFFFF, false},
        {"end record one byte beyond", '3', kMax - 1, false},
        {"end record at the largest offset", '3', 0xFFFFFF, false},
    };
    const QByteArray ack(1, record::kAck);
    const QByteArray nak(1, record::kNak);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_dir.Write(QStringLiteral("Primary/ZEBU_TLN.DAU"), "old");
        ASSERT_TRUE(m_pc.Handshake());
        ASSERT_EQ(m_pc.Send(record::Build(0, '1', 1, '3', 0, {})), ack);
        EXPECT_EQ(m_pc.Send(record::Build(1, c.cmd, 1, '3', c.oset, "ABCD")), c.accepted ? ack : nak);
        EXPECT_EQ(m_sim.CurrentState(), SimulatedController::State::ReceivingFile);
        EXPECT_EQ(m_dir.Read(QStringLiteral("Primary/ZEBU_TLN.DAU")), "old");
        m_pc.Etb();
    }
}

TEST_F(SimulatedControllerTest, resendsTheSameRecordOnNakStopsAtEtbAndRefusesABadChecksum) {
    m_dir.Write(QStringLiteral("Primary/ZEBU_TLN.DAU"), DataFileText(512));
    ASSERT_TRUE(m_pc.Handshake());
    const QByteArray start = m_pc.Send(record::BuildRequest('8', 0, '3'));
    EXPECT_EQ(m_pc.Nak(), start);
    const QByteArray data = m_pc.Ack();
    EXPECT_EQ(record::View(data).Cmd(), '2');
    EXPECT_EQ(m_pc.Nak(), data);
    EXPECT_EQ(m_pc.Nak(), data);
    m_pc.Etb();
    EXPECT_TRUE(m_pc.Ack().isEmpty()) << "an ETB while serving stops the transfer";

    ASSERT_TRUE(m_pc.Handshake());
    QByteArray bad = record::Build(0, '1', 1, '3', 0, {});
    bad[15] = bad[15] == '0' ? '1' : '0';
    EXPECT_EQ(m_pc.Send(bad), QByteArray(1, record::kNak));
}

// The compact list of a table, as the PC sends it: one "B" record per line.
QByteArray CrosspointListOf(const qdv::test::TestFolder& dir, const CrosspointTable& table) {
    dir.Write(QStringLiteral("pc/ZEBU_XPT.DAU"), table.SaveDau());
    EXPECT_EQ(MakeCrosspointList(dir.FilePath(QStringLiteral("pc/ZEBU_XPT.DAU")),
                                 dir.FilePath(QStringLiteral("pc/ZEBU_XPT.MKE"))),
              kListOk);
    return dir.Read(QStringLiteral("pc/ZEBU_XPT.MKE"));
}

TEST_F(SimulatedControllerTest, crosspointListReplacesTheTableWhenTheTransferEnds) {
    CrosspointTable old;
    old.SetSource(3, 900, 44);
    m_dir.Write(QStringLiteral("XPoint/ZEBU_XPT.DAU"), old.SaveDau());
    CrosspointTable table;
    for (int d = 1; d <= 1024; d += 7)
        table.SetSource(1 + d % 8, d, static_cast<std::uint16_t>(1025 - d));
    table.SetSource(2, 300, 5);
    table.SetSource(4, 300, 5);
    const QByteArray list = CrosspointListOf(m_dir, table);

    for (bool endWithEtb : {true, false}) {
        ASSERT_TRUE(m_pc.Handshake());
        int pn = 0;
        for (const QByteArray& line : list.split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            ASSERT_EQ(m_pc.Send(record::Build(pn++, 'B', 0, '0', 0, line.trimmed())),
                      QByteArray(1, record::kAck));
        }
        EXPECT_EQ(m_dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")), old.SaveDau())
            << "applied only at the end";
        if (endWithEtb) {
            m_pc.Etb();
        } else {
            EXPECT_TRUE(m_pc.Handshake());
        }
        EXPECT_EQ(m_dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")), table.SaveDau());
        m_pc.Etb();
        ASSERT_TRUE(m_pc.Handshake());
        EXPECT_EQ(PcDriver::FileText(m_pc.Fetch(record::BuildRequest('C', 0, '2'))), table.SaveDau());
        m_pc.Etb();
        m_dir.Write(QStringLiteral("XPoint/ZEBU_XPT.DAU"), old.SaveDau());
    }
}

TEST_F(SimulatedControllerTest, refusedCrosspointListIsNotApplied) {
    m_dir.Write(QStringLiteral("XPoint/ZEBU_XPT.DAU"), "old");
    ASSERT_TRUE(m_pc.Handshake());
    const QByteArray ack(1, record::kAck), nak(1, record::kNak);
    EXPECT_EQ(m_pc.Send(record::Build(0, 'B', 0, '0', 0, "012C1005")), ack);
    EXPECT_EQ(m_pc.Send(record::Build(1, 'B', 0, '0', 0, "01000005")), nak) << "destination 0";
    EXPECT_EQ(m_pc.Send(record::Build(1, 'B', 0, '0', 0, "012C100")), nak) << "entry cut short";
    m_pc.Etb();
    EXPECT_EQ(m_dir.Read(QStringLiteral("XPoint/ZEBU_XPT.DAU")), "old");
}

TEST_F(SimulatedControllerTest, acknowledgesAndCountsNameRecords) {
    const QByteArray payload =
        record::NameRecordHeader(7, false) + record::NameBlock(false, 1, 1, "CAM 1           ");
    ASSERT_TRUE(m_pc.Handshake());
    EXPECT_EQ(m_pc.Send(record::Build(0, '7', 0, '0', 0, record::ToHex(payload))),
              QByteArray(1, record::kAck));
    EXPECT_EQ(m_pc.Send(record::Build(1, '7', 0, '0', 0, record::ToHex(payload + payload.right(22)))),
              QByteArray(1, record::kAck));
    EXPECT_EQ(m_pc.Send(record::Build(2, '7', 0, '0', 0, record::ToHex(payload.left(20)))),
              QByteArray(1, record::kNak));
    EXPECT_EQ(m_sim.NameRecordCount(), 2);
}

} // namespace
} // namespace qdv::sim::test
