#include "cli/StationsCheck.h"

#include "base/MessageCatalogue.h"
#include "cli/CliContext.h"
#include "link/StationTables.h"
#include "link/StatusBlock.h"
#include "secondary/SecondaryDataModel.h"
#include "secondary/StationNumbers.h"

namespace qdv::cli {

StationsCheck::StationsCheck(bool check)
    : Command(check ? QStringLiteral("check") : QStringLiteral("uncheck"),
              check
                  ? QStringLiteral("Check stations and save the list: all (the station bitmap of the stored "
                                   "ZEBU_STD.DAU), device (its device list), clear (none), or stations.")
                  : QStringLiteral("Uncheck stations and save the list.")),
      m_check(check) {
    AddArgument(QStringLiteral("STATIONS"), QStringLiteral("stations such as 5,9-11"),
                check ? QStringLiteral("all|device|clear|STATIONS") : QStringLiteral("STATIONS"));
}

int StationsCheck::Execute(CliContext& ctx, const QStringList& arguments) {
    if (const auto done = Parse(ctx, arguments))
        return *done;
    const QStringList words = Words();
    if (words.size() != 1)
        return UsageError(ctx, QStringLiteral("give one list of stations"));
    const QString& what = words.front();
    const SetupRecord* setup = ChosenSetup(ctx);
    if (!setup)
        return kExitUsage;
    // The list alone: the dialog's logic without a link engine.
    StatusBlock status;
    StationTables stations;
    SecondaryDataModel core(
        {ctx.File(), status, stations, [](Direction, JobKind) { return false; }, *setup, {}},
        Direction::Receive);
    core.Show();
    int code = 0;
    if (m_check && what == QLatin1String("all")) {
        code = core.CheckAll();
    } else if (m_check && what == QLatin1String("device")) {
        code = core.CheckDevice();
    } else if (m_check && what == QLatin1String("clear")) {
        core.CheckClear();
    } else {
        const auto ids = ParseStationNumbers(what, StationList::kFirst, StationList::kLast);
        if (!ids) {
            ctx.Err() << "qdv70cli: not a list of stations 2..254: " << what << '\n';
            return kExitUsage;
        }
        for (const int id : *ids)
            core.SetChecked(id, m_check);
    }
    if (code != 0) {
        ctx.Err() << "qdv70cli: " << CatalogueText(code) << '\n';
        return kExitFailed;
    }
    QString error;
    if (!core.SaveList(&error)) {
        ctx.Err() << "qdv70cli: " << error << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace qdv::cli
