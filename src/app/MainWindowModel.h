#pragma once

#include "app/SetupHealth.h"
#include "store/SetupRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <Qt>
#include <array>

namespace qdv {

// The main window's tabs, in the order they are shown.
enum MainTab : int { kTabNone = -1, kTabReceive = 0, kTabSend = 1, kTabEdit = 2, kTabCount = 3 };

// What the main window decides without drawing anything: which tabs and function buttons a setup
// offers, which of them may be pressed now (a job running, files present), and what a key does.
// The window only shows the result.
class MainWindowModel {
public:
    // Each tab holds its buttons in a row of six places; the F-key of a button is its place plus one.
    static constexpr int kPlaces = 6;

    // Places of the buttons that have a file rule or a job kind.
    enum Place : int {
        kPlaceDescription = 0,
        kPlaceCrosspoint = 1,
        kPlacePrimary = 2,
        kPlaceSecondary = 3,
        kPlaceDescriptionToSecondary = 4,
        kPlaceAliasToSecondary = 5,
    };

    // What a key acts on.
    enum class KeyTarget { None, Place, Cancel, Exit };
    struct KeyAction {
        KeyTarget target = KeyTarget::None;
        int place = -1; // for KeyTarget::Place
    };

    static QString TabCaption(int tab);
    static QString PanelCaption(int tab);
    // Caption of the button at a place of a tab; empty where the tab has no button.
    static QString ButtonCaption(int tab, int place);
    static bool HasButton(int tab, int place) { return !ButtonCaption(tab, place).isEmpty(); }
    // Job kind a Receive or Send button starts (Description 1, Crosspoint 2, Primary 0); -1 for the
    // places that open dialogs.
    static int JobKindOfPlace(int place);

    // Shows the tabs and buttons the setup offers (none without a setup) and keeps the current tab when
    // it is still shown, else moves on to the next shown one.
    void Arrange(const SetupRecord* setup);
    // Makes `tab` current and arranges again.
    void SelectTab(int tab, const SetupRecord* setup);
    int CurrentTab() const { return m_current; }
    bool TabShown(int tab) const;
    QList<int> ShownTabs() const;
    bool PlaceVisible(int tab, int place) const;

    // Enables (idle) or disables (a job runs) the buttons. Enabling applies the file rules of the
    // setup's backup folder: a Send or Edit button whose file is missing stays disabled.
    void SetButtonsEnabled(bool enabled, const SetupRecord* setup);
    bool ButtonsEnabled() const { return m_enabled; }
    bool PlaceEnabled(int tab, int place) const;
    // Exit, the menus, the setup list and closing the window follow the buttons; Cancel the opposite.
    bool ExitEnabled() const { return m_enabled; }
    bool CancelEnabled() const { return !m_enabled; }

    // F1..F6 act on place 0..5 of the current tab, Esc and Alt+C on Cancel, Alt+E on Exit; only when a
    // tab is current, and only on a visible, enabled button.
    KeyAction ActionOfKey(int key, Qt::KeyboardModifiers modifiers) const;

    // The status bar's line about the selected setup's last good Primary backup.
    struct BackupStatus {
        QString text;
        QString toolTip;
        bool warn = false; // older than the warning age, or none at all
    };
    // When the setup's last good Primary backup was taken: the oldest modification time of the Primary
    // files it selects, since each receive replaces a file only when it arrived complete; invalid when
    // one of them is missing (or the setup selects none).
    static QDateTime LastPrimaryBackup(const SetupRecord& setup);
    // `warnDays` 0: never warn.
    static BackupStatus DescribeBackup(const QDateTime& last, const QDateTime& now, int warnDays);

    // The mark of a setup in the setup box: none when its verdict is ok, a warning when it is stale or
    // unverified, an error when a job of it failed; the reason is its tooltip.
    enum class MarkIcon { None, Warning, Critical };
    struct SetupMark {
        MarkIcon icon = MarkIcon::None;
        QString toolTip; // empty with no mark
    };
    static SetupMark MarkOfHealth(const SetupHealth& health);

private:
    int m_current = kTabReceive;
    std::array<bool, kTabCount> m_shown{};
    std::array<int, kTabCount> m_visible{};     // bit per place
    std::array<int, kTabCount> m_fileAllowed{}; // bit per place whose file rule holds
    bool m_enabled = true;
};

} // namespace qdv
