#include "link/TransferJobs.h"

#include "base/CatalogueCodes.h"
#include "convert/TmTableRemote.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "store/DataFileSet.h"

#include <QFileInfo>

namespace qdv {

namespace {

JobEntry BaseEntry(JobKind kind, const SetupRecord& setup) {
    JobEntry e;
    e.kind = kind;
    e.deviceAddress = setup.ipAddress;
    e.lanPort = setup.remote3Port;
    return e;
}

} // namespace

TransferJobs::TransferJobs(StatusBlock& status, StationTables& stations, TmTableRemote& resolver)
    : m_status(status), m_stations(stations), m_resolver(resolver) {}

void TransferJobs::BuildQueue(Direction direction, JobKind kind, const SetupRecord& setup) {
    const bool receive = direction == Direction::Receive;
    m_queue.Clear();
    auto add = [&](JobEntry e, bool sendable) {
        const FileTarget t = receive ? m_resolver.ReceiveTarget(setup, e.kind, e.station, e.typeCode)
                                     : m_resolver.PrepareSendFile(setup, e.kind, e.station, e.typeCode);
        e.filePath = t.path;
        e.expectedSize = t.size;
        if (receive || !sendable || t.size > 0) {
            m_queue.Push(e);
            return;
        }
        FileResult skipped;
        skipped.path = t.path;
        skipped.code = msg::kFileSize;
        skipped.skipped = true;
        skipped.detail = QFileInfo::exists(t.path) ? QStringLiteral("empty or of the wrong size")
                                                   : QStringLiteral("missing");
        m_status.AddFileResult(std::move(skipped));
    };
    switch (kind) {
    case kJobPrimary:
        if (!receive)
            m_status.primaryDoneMask = 0;
        for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
            if (!(setup.primaryBackupFiles & (1 << i)))
                continue;
            JobEntry e = BaseEntry(kind, setup);
            e.station = receive ? 0 : 1;
            e.id = receive ? 0x00 : 0x01;
            e.command = '8';
            e.typeChar = datafiles::kPrimaryTypes[i];
            e.typeCode = datafiles::CodeOfCharacter(e.typeChar);
            add(e, true);
        }
        break;
    case kJobDescription:
    case kJobCrosspoint:
    case kJobStationMenu: {
        JobEntry e = BaseEntry(kind, setup);
        e.station = receive ? 0 : 1;
        e.id = receive ? 0x00 : 0x01;
        if (kind == kJobDescription) {
            e.command = '8';
            e.typeChar = '7';
        } else if (kind == kJobCrosspoint) {
            e.command = receive ? 'C' : 'B';
            e.typeChar = receive ? '2' : '0';
        } else {
            e.command = '8';
            e.typeChar = '1';
        }
        e.typeCode = kind == kJobCrosspoint ? datafiles::kXpt : datafiles::CodeOfCharacter(e.typeChar);
        if (kind == kJobStationMenu && !receive)
            break;
        add(e, true);
        break;
    }
    case kJobSecondary:
        for (int s = StationTables::kFirst; s <= StationTables::kLast; ++s) {
            if (m_stations.state[static_cast<std::size_t>(s)] != StationTables::kChosen)
                continue;
            JobEntry e = BaseEntry(kind, setup);
            e.station = s;
            e.id = static_cast<std::uint8_t>(s);
            e.command = '9';
            e.typeChar = '8';
            e.typeCode = datafiles::kStationDat;
            e.stationAddress = m_stations.Address(s);
            e.stationAddressPresent = !e.stationAddress.isEmpty();
            if (!receive) {
                m_stations.currentStation = s;
                m_stations.result[static_cast<std::size_t>(s)] = StationTables::kSuccess;
            }
            // Secondary sends are queued even when the file is missing; the engine reports it per station.
            add(e, false);
        }
        break;
    case kJobDescriptionToSecondary:
    case kJobAliasToSecondary: {
        if (receive)
            break;
        // The names go to the current station (255: all of them); the tables are loaded here, and
        // names that cannot be loaded end the job at once, failed, without a word to the device.
        const int s = m_stations.currentStation;
        JobEntry e = BaseEntry(kind, setup);
        e.station = s;
        e.id = static_cast<std::uint8_t>(s);
        e.command = '7';
        e.typeChar = kind == kJobDescriptionToSecondary ? '7' : '0';
        e.typeCode = kind == kJobDescriptionToSecondary ? datafiles::kNme : 0;
        const FileTarget t = m_resolver.PrepareSendFile(setup, kind, s, e.typeCode);
        if (t.size == 0 || s < StationTables::kFirst || s > StationTables::kLast) {
            m_stations.dialogError = true;
            m_stations.dialogState = 3;
            m_status.lastError = msg::kFileSize; // the tables could not be loaded
            m_status.error = true;
            break;
        }
        e.filePath = t.path;
        e.expectedSize = t.size;
        m_queue.Push(e);
        break;
    }
    default:
        break;
    }
}

void TransferJobs::Finish(JobKind kind, int code, bool final, int typeCode) {
    if (code != 0) {
        m_status.lastError = static_cast<std::uint32_t>(code);
        m_status.error = code != msg::kAborted;
        m_status.SetLine2(QString());
    } else {
        m_status.error = false;
    }
    switch (kind) {
    case kJobPrimary:
        if (code == 0)
            m_status.primaryDoneMask |= datafiles::PrimaryDoneBit(typeCode);
        // A failed Primary file is reported by the list of files not moved, not as an error, unless
        // the line itself failed.
        if (code != msg::kPortNotOpened && code != msg::kNoConnect && code != msg::kNoReady &&
            code != msg::kLineFailure)
            m_status.error = false;
        m_status.ShowGauge(false, m_status.progressTotal);
        break;
    case kJobDescription:
    case kJobCrosspoint:
    case kJobStationMenu:
        m_status.ShowGauge(false, m_status.progressTotal);
        break;
    case kJobSecondary: {
        const int s = m_stations.currentStation;
        if (s >= StationTables::kFirst && s <= StationTables::kLast) {
            const auto i = static_cast<std::size_t>(s);
            if (!m_status.error)
                m_stations.result[i] = StationTables::kSuccess;
            else
                m_stations.result[i] = code == msg::kNoPacket      ? StationTables::kNoAnswer
                                       : code == msg::kAbortRecord ? StationTables::kAbortedByStation
                                                                   : StationTables::kFailed;
            if (m_status.lastError != msg::kAborted)
                m_stations.state[i] = StationTables::kDone;
        }
        break;
    }
    case kJobDescriptionToSecondary:
    case kJobAliasToSecondary:
        m_stations.dialogError = m_status.error.load();
        if (m_status.lastError != msg::kAborted)
            m_stations.dialogState = 3;
        break;
    default:
        break;
    }
    if (final) {
        m_queue.Clear();
        m_status.busy = false;
    }
}

} // namespace qdv
