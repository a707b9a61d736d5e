// qdv70: the desktop program of QDV-70, the operator's tool for backing up and restoring the
// configuration of a routing-switcher control system.

#include "app/AppModules.h"
#include "app/DemoSession.h"
#include "app/HomeFolder.h"
#include "app/SingleInstance.h"
#include "app/ui/TfrmMain.h"
#include "base/CatalogueCodes.h"
#include "discovery/ui/TwndDevices.h"
#include "discovery/ui/TwndSearch.h"
#include "editors/ui/EditorWindows.h"
#include "history/ui/THistoryDlg.h"
#include "secondary/FoundDevices.h"
#include "secondary/ui/StationDialogs.h"
#include "setups/ui/TfrmConfigurationSetup.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>

#include <cstdio>
#include <memory>

using namespace qdv;

namespace {

constexpr int kUsageError = 2;

// Without a display the toolkit would end the process with a message of its own; this one says what
// to do instead.
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// What a setup's font takes when the settings name none: the desktop's menu font.
MenuFont SystemMenuFont() {
    const QFont f = QApplication::font("QMenu");
    MenuFont m;
    m.name = f.family();
    m.height = f.pixelSize() > 0 ? -f.pixelSize() : -qRound(f.pointSizeF() * 96.0 / 72.0);
    return m;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!HasDisplay()) {
        std::fputs("qdv70: no display (DISPLAY and WAYLAND_DISPLAY are unset). The command-line tool "
                   "qdv70cli runs the same jobs without windows.\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qdv70"));
    QApplication::setApplicationVersion(QStringLiteral(QDV70_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("qdv70"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/qdv70/qdv70.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Routing Switcher System Backup Software"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("The folder of QDV70LIST.INI, QDV70COMM.INI and HELP/."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Start the simulated controller with a sample plant and a setup that points at it."));
    parser.addOptions({home, demo});
    if (!parser.parse(QApplication::arguments())) {
        QTextStream(stderr) << "qdv70: " << parser.errorText() << '\n';
        return kUsageError;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    SingleInstance instance;
    if (!instance.TryAcquire(QFileInfo(QApplication::applicationFilePath()).fileName())) {
        ShowMessage(nullptr, msg::kAlreadyRunning, DialogType::Error, kButtonOk);
        return 0;
    }

    std::unique_ptr<DemoSession> session;
    QString homeFolder;
    if (parser.isSet(demo)) {
        session = std::make_unique<DemoSession>(DemoSession::DefaultFolder());
        QString error;
        if (!session->Start(DemoSession::FindSimulator(), &error)) {
            QTextStream(stderr) << "qdv70: the demo cannot start: " << error << '\n';
            ShowMessageText(nullptr, QStringLiteral("The demo cannot start: %1").arg(error),
                            DialogType::Error, kButtonOk);
            return 1;
        }
        homeFolder = session->Home();
    } else {
        homeFolder = ResolveHomeFolder(parser.value(home));
    }

    AppModules modules(homeFolder, SystemMenuFont());
    TfrmMain frmMain(modules.Table(), modules.Remote(), modules.Status());
    frmMain.show();
    TtskCtrl& control = modules.StartTaskController(TtskCtrl::kAll);
    frmMain.SetJobStarter(
        [&control](Direction direction, JobKind kind) { return control.StartJob(direction, kind); });
    frmMain.SetReadBackStarter([&control](JobKind kind, const SetupRecord& readBack) {
        return control.StartJob(Direction::Receive, kind, readBack);
    });
    const DeviceSearch::RequestSink searchRequests = [&control](int entry, int kind) {
        return control.StartNetworkRequest(entry, kind);
    };
    frmMain.SetStationDialogOpener([&](Direction direction, int place, const SetupRecord& setup) {
        // Get Z Menu on a LAN setup runs the device search and names the stations it finds.
        OpenStationDialog(&frmMain, direction, place,
                          {modules.Files(), modules.Status(), modules.Stations(),
                           [&control](Direction d, JobKind k) { return control.StartJob(d, k); }, setup,
                           [&modules] { return FoundDevicesOf(modules.Devices().Copy().devices); }},
                          [&searchRequests](QWidget* owner) { TwndSearch(searchRequests, owner).exec(); });
    });
    frmMain.SetEditorOpener([&](EditorKind kind, const SetupRecord& setup, const SetupFont* font) {
        OpenEditor(&frmMain, kind, modules.Remote().Tables(), setup, font);
    });
    frmMain.SetSetupsOpener([&] { OpenSetupList(&frmMain, modules.Table()); });
    frmMain.SetHistoryOpener([&frmMain](const SetupRecord& setup) {
        THistoryDlg(setup.name, setup.backupDataPath, &frmMain).exec();
    });
    frmMain.SetDeviceSearcher([&modules, &searchRequests](QWidget* parent) {
        TwndDevices::SearchAndShow(parent, modules.Devices(), searchRequests);
    });
    return QApplication::exec();
}
