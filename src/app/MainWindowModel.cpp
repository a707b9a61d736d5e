#include "app/MainWindowModel.h"

#include "convert/ConversionTables.h"
#include "convert/TmTableRemote.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"
#include "store/PathNoCase.h"

#include <QFileInfo>

#include <algorithm>

namespace qdv {
namespace {

// clang-format off
const char* const kCaptions[kTabCount][MainWindowModel::kPlaces] = {
    {"Description(F1)", "Crosspoint(F2)", "Primary(F3)", "Secondary(F4)", nullptr, nullptr},
    {"Description(F1)", "Crosspoint(F2)", "Primary(F3)", "Secondary(F4)",
     "Description to Secondary(F5)", "Alias to Secondary(F6)"},
    {"Description/Alias(F1)", "Crosspoint(F2)", nullptr, nullptr, nullptr, nullptr},
};
// clang-format on

constexpr int kAllPlaces = (1 << MainWindowModel::kPlaces) - 1;
constexpr int kAliasFiles = 7;

bool ValidTab(int tab) {
    return tab >= 0 && tab < kTabCount;
}

bool ValidPlace(int place) {
    return place >= 0 && place < MainWindowModel::kPlaces;
}

bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}

// Places of a tab whose data file is there to be sent or edited; places without a file rule are
// always allowed.
int FileAllowedPlaces(int tab, const SetupRecord& setup) {
    using M = MainWindowModel;
    int allowed = kAllPlaces;
    auto require = [&](int place, bool present) {
        if (!present)
            allowed &= ~(1 << place);
    };
    if (tab == kTabSend) {
        const bool names = IsFile(ConversionTables::DescriptionFile(setup));
        require(M::kPlaceDescription, names);
        require(M::kPlaceDescriptionToSecondary, names);
        require(M::kPlaceCrosspoint, IsFile(ConversionTables::CrosspointFile(setup)));
        bool anyAlias = false;
        for (int k = 1; k <= kAliasFiles && !anyAlias; ++k)
            anyAlias = IsFile(ConversionTables::AliasFile(setup, k));
        require(M::kPlaceAliasToSecondary, anyAlias);
    } else if (tab == kTabEdit) {
        require(M::kPlaceDescription, IsFile(ConversionTables::StandardSettingsFile(setup)));
    }
    return allowed;
}

} // namespace

QString MainWindowModel::TabCaption(int tab) {
    switch (tab) {
    case kTabReceive:
        return QStringLiteral(" Receive  ");
    case kTabSend:
        return QStringLiteral("   Send   ");
    case kTabEdit:
        return QStringLiteral("   Edit   ");
    default:
        return {};
    }
}

QString MainWindowModel::PanelCaption(int tab) {
    switch (tab) {
    case kTabReceive:
        return QStringLiteral("RECEIVE: Device to PC");
    case kTabSend:
        return QStringLiteral("SEND: PC to Device");
    case kTabEdit:
        return QStringLiteral("EDIT");
    default:
        return {};
    }
}

QString MainWindowModel::ButtonCaption(int tab, int place) {
    if (!ValidTab(tab) || !ValidPlace(place) || kCaptions[tab][place] == nullptr)
        return {};
    return QString::fromLatin1(kCaptions[tab][place]);
}

int MainWindowModel::JobKindOfPlace(int place) {
    switch (place) {
    case kPlaceDescription:
        return kJobDescription;
    case kPlaceCrosspoint:
        return kJobCrosspoint;
    case kPlacePrimary:
        return kJobPrimary;
    default:
        return -1;
    }
}

void MainWindowModel::Arrange(const SetupRecord* setup) {
    m_shown.fill(false);
    m_visible.fill(0);
    if (setup == nullptr) {
        m_current = kTabNone;
        return;
    }
    const bool flags[kTabCount] = {setup->receiveAll, setup->sendAll, setup->editAll};
    const int bits[kTabCount] = {setup->receiveButtons, setup->sendButtons, setup->editButtons};
    for (int tab = 0; tab < kTabCount; ++tab) {
        m_shown[tab] = flags[tab];
        if (!flags[tab])
            continue;
        for (int place = 0; place < kPlaces; ++place) {
            if ((bits[tab] & (1 << place)) && HasButton(tab, place))
                m_visible[tab] |= 1 << place;
        }
    }
    // A current tab that is no longer shown hands over to the next shown one, going round, so that a
    // shown tab is never left without a page.
    const int start = ValidTab(m_current) ? m_current : kTabReceive;
    m_current = kTabNone;
    for (int i = 0; i < kTabCount; ++i) {
        const int tab = (start + i) % kTabCount;
        if (m_shown[tab]) {
            m_current = tab;
            break;
        }
    }
}

void MainWindowModel::SelectTab(int tab, const SetupRecord* setup) {
    m_current = tab;
    Arrange(setup);
}

bool MainWindowModel::TabShown(int tab) const {
    return ValidTab(tab) && m_shown[tab];
}

QList<int> MainWindowModel::ShownTabs() const {
    QList<int> tabs;
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (m_shown[tab])
            tabs << tab;
    }
    return tabs;
}

bool MainWindowModel::PlaceVisible(int tab, int place) const {
    return TabShown(tab) && ValidPlace(place) && (m_visible[tab] & (1 << place));
}

void MainWindowModel::SetButtonsEnabled(bool enabled, const SetupRecord* setup) {
    m_enabled = enabled;
    for (int tab = 0; tab < kTabCount; ++tab)
        m_fileAllowed[tab] = enabled && setup != nullptr ? FileAllowedPlaces(tab, *setup) : kAllPlaces;
}

bool MainWindowModel::PlaceEnabled(int tab, int place) const {
    return m_enabled && ValidTab(tab) && ValidPlace(place) && (m_fileAllowed[tab] & (1 << place));
}

MainWindowModel::KeyAction MainWindowModel::ActionOfKey(int key, Qt::KeyboardModifiers modifiers) const {
    // Exit is there with no setup as well.
    if ((modifiers & Qt::AltModifier) && key == Qt::Key_E && ExitEnabled())
        return {KeyTarget::Exit, -1};
    if (!ValidTab(m_current))
        return {};
    if (modifiers & Qt::AltModifier) {
        if (key == Qt::Key_C && CancelEnabled())
            return {KeyTarget::Cancel, -1};
        return {};
    }
    if (key == Qt::Key_Escape)
        return CancelEnabled() ? KeyAction{KeyTarget::Cancel, -1} : KeyAction{};
    if (key >= Qt::Key_F1 && key <= Qt::Key_F6) {
        const int place = key - Qt::Key_F1;
        if (PlaceVisible(m_current, place) && PlaceEnabled(m_current, place))
            return {KeyTarget::Place, place};
    }
    return {};
}

QDateTime MainWindowModel::LastPrimaryBackup(const SetupRecord& setup) {
    QDateTime oldest;
    for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
        if (!(setup.primaryBackupFiles & (1 << i)))
            continue;
        const QFileInfo file(
            JoinNoCase(TmTableRemote::PrimaryFolder(setup),
                       datafiles::FileName(datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]))));
        if (!file.isFile())
            return {};
        const QDateTime t = file.lastModified();
        if (!oldest.isValid() || t < oldest)
            oldest = t;
    }
    return oldest;
}

MainWindowModel::BackupStatus MainWindowModel::DescribeBackup(const QDateTime& last, const QDateTime& now,
                                                              int warnDays) {
    BackupStatus s;
    if (!last.isValid()) {
        s.text = QStringLiteral("No complete Primary backup in the backup folder");
        s.toolTip = QStringLiteral("Receive Primary (F3) backs the device up.");
        s.warn = warnDays > 0;
        return s;
    }
    const qint64 days = std::max<qint64>(0, last.secsTo(now) / (24 * 3600));
    const QString age = days == 0   ? QStringLiteral("today")
                        : days == 1 ? QStringLiteral("1 day ago")
                                    : QStringLiteral("%1 days ago").arg(days);
    s.text = QStringLiteral("Last Primary backup: %1 (%2)")
                 .arg(last.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), age);
    s.warn = warnDays > 0 && last.secsTo(now) > qint64(warnDays) * 24 * 3600;
    s.toolTip = s.warn
                    ? QStringLiteral("The last good Primary backup is older than %1 days ([BACKUP] WARN_DAYS "
                                     "in QDV70COMM.INI). Receive Primary (F3) to take a new one.")
                          .arg(warnDays)
                    : QStringLiteral("The oldest of the setup's Primary files, each replaced only when it "
                                     "arrived complete.");
    return s;
}

MainWindowModel::SetupMark MainWindowModel::MarkOfHealth(const SetupHealth& health) {
    if (health.Ok())
        return {};
    const QString word = SetupHealth::VerdictWord(health.verdict);
    return {health.verdict == SetupHealth::Verdict::Failing ? MarkIcon::Critical : MarkIcon::Warning,
            word.left(1).toUpper() + word.mid(1) + QStringLiteral(": ") + health.reason};
}

} // namespace qdv
