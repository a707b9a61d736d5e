#include "app/SetupHealth.h"

#include "app/MainWindowModel.h"
#include "history/BackupHistory.h"
#include "history/FolderVerifier.h"
#include "history/HistoryRepository.h"

#include <QJsonArray>

namespace qdv {

namespace {

constexpr const char* kKinds[] = {"primary", "description", "crosspoint"};

QString TimeText(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODate) : QString();
}

qint64 AgeSeconds(const QDateTime& t, const QDateTime& now) {
    return std::max<qint64>(0, t.secsTo(now));
}

QString AgeText(const QDateTime& t, const QDateTime& now) {
    const qint64 days = AgeSeconds(t, now) / (24 * 3600);
    return days == 0   ? QStringLiteral("today")
           : days == 1 ? QStringLiteral("1 day ago")
                       : QStringLiteral("%1 days ago").arg(days);
}

QString Capitalised(const QString& word) {
    return word.left(1).toUpper() + word.mid(1);
}

// A label value of the text format: backslash, double quote and line feed escaped.
QString LabelValue(const QString& value) {
    QString out;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out;
}

QString Number(double v) {
    return QString::number(v, 'g', 15);
}

} // namespace

SetupHealth SetupHealth::Assess(const SetupRecord& setup, const QDateTime& now, int warnDays, bool remote) {
    SetupHealth h;
    h.name = setup.name;
    h.link = setup.selectLan ? QStringLiteral("LAN,%1:%2").arg(setup.ipAddress).arg(setup.remote3Port)
                             : QStringLiteral("COM %1").arg(setup.comPort);
    h.folder = setup.backupDataPath;
    h.remote = remote;

    const QMap<QString, history::JobResult> record = history::JobRecord::Read(setup.backupDataPath);
    QString failing;
    QString stale;
    for (const char* word : kKinds) {
        const QString kind = QLatin1String(word);
        const bool primary = kind == QLatin1String("primary");
        if (!record.contains(kind) && !(primary && setup.primaryBackupFiles != 0))
            continue;
        Kind k;
        k.kind = kind;
        k.hasRun = record.contains(kind);
        k.last = record.value(kind);
        if (primary && setup.primaryBackupFiles != 0) {
            // The same reckoning as the main window's status row: the files' times, not the record.
            k.lastSuccess = MainWindowModel::LastPrimaryBackup(setup);
            const MainWindowModel::BackupStatus s =
                MainWindowModel::DescribeBackup(k.lastSuccess, now, warnDays);
            if (s.warn && stale.isEmpty())
                stale =
                    k.lastSuccess.isValid()
                        ? QStringLiteral("the last good Primary backup is older than %1 days").arg(warnDays)
                        : QStringLiteral("no complete Primary backup in the backup folder");
        } else {
            k.lastSuccess = k.last.lastSuccess;
            if (warnDays > 0 && stale.isEmpty() &&
                (!k.lastSuccess.isValid() || AgeSeconds(k.lastSuccess, now) > qint64(warnDays) * 24 * 3600))
                stale = k.lastSuccess.isValid()
                            ? QStringLiteral("the last good %1 backup is older than %2 days")
                                  .arg(Capitalised(kind))
                                  .arg(warnDays)
                            : QStringLiteral("no good %1 backup yet").arg(Capitalised(kind));
        }
        if (k.hasRun && !k.last.ok && failing.isEmpty())
            failing = QStringLiteral("the last %1 job failed: %2")
                          .arg(Capitalised(kind),
                               k.last.error.isEmpty() ? QStringLiteral("files not acquired") : k.last.error);
        h.kinds << k;
    }

    for (const history::FolderProblem& p : history::FolderVerifier::Verify(setup.backupDataPath)) {
        h.verifyProblems << p.text;
        if (p.kind == history::FolderProblem::Kind::Missing ||
            p.kind == history::FolderProblem::Kind::WrongSize)
            h.fileProblems << p.text;
    }

    history::HistoryRepository::OpenState state{};
    QString error;
    if (const auto repo = history::HistoryRepository::Open(setup.backupDataPath, false, &state, &error)) {
        std::vector<history::SnapshotInfo> log;
        if (repo->Log(1, &log, &error) && !log.empty()) {
            h.headId = log.front().shortId;
            h.headTime = log.front().time;
        }
        h.pushesOwed = remote && repo->PushPending() ? 1 : 0;
    }

    if (!failing.isEmpty()) {
        h.verdict = Verdict::Failing;
        h.reason = failing;
    } else if (!stale.isEmpty()) {
        h.verdict = Verdict::Stale;
        h.reason = stale;
    } else if (!h.verifyProblems.isEmpty()) {
        h.verdict = Verdict::Unverified;
        h.reason = h.verifyProblems.front();
    } else if (h.pushesOwed > 0) {
        h.verdict = Verdict::Unverified;
        h.reason = QStringLiteral("a push to [HISTORY] REMOTE is owed");
    }
    return h;
}

QString SetupHealth::VerdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok:
        return QStringLiteral("ok");
    case Verdict::Stale:
        return QStringLiteral("stale");
    case Verdict::Failing:
        return QStringLiteral("failing");
    case Verdict::Unverified:
        break;
    }
    return QStringLiteral("unverified");
}

QJsonObject SetupHealth::ToJson(const QDateTime& now) const {
    QJsonArray kindArray;
    for (const Kind& k : kinds) {
        QJsonObject o{
            {"kind", k.kind},
            {"lastSuccess", k.lastSuccess.isValid() ? QJsonValue(TimeText(k.lastSuccess)) : QJsonValue()},
            {"ageSeconds",
             k.lastSuccess.isValid() ? QJsonValue(AgeSeconds(k.lastSuccess, now)) : QJsonValue()},
            {"lastRun", k.hasRun ? QJsonValue(TimeText(k.last.finished)) : QJsonValue()},
            {"result", !k.hasRun   ? QStringLiteral("not run")
                       : k.last.ok ? QStringLiteral("ok")
                                   : QStringLiteral("failed")},
            {"error", k.hasRun && !k.last.ok ? QJsonValue(k.last.error) : QJsonValue()},
            {"missing", QJsonArray::fromStringList(k.last.missing)},
            {"durationSeconds", k.last.DurationSeconds()}};
        kindArray.append(o);
    }
    return QJsonObject{
        {"setup", name},
        {"link", link},
        {"folder", folder},
        {"verdict", VerdictWord(verdict)},
        {"reason", reason.isEmpty() ? QJsonValue() : QJsonValue(reason)},
        {"kinds", kindArray},
        {"fileProblems", QJsonArray::fromStringList(fileProblems)},
        {"verifyClean", verifyProblems.isEmpty()},
        {"verifyProblems", QJsonArray::fromStringList(verifyProblems)},
        {"history", headId.isEmpty()
                        ? QJsonValue()
                        : QJsonValue(QJsonObject{{"head", headId}, {"time", TimeText(headTime)}})},
        {"pushesOwed", pushesOwed},
    };
}

QString SetupHealth::TextLine(const QDateTime& now) const {
    QStringList fields{name, VerdictWord(verdict), link};
    QStringList kindTexts;
    for (const Kind& k : kinds) {
        QString t = k.kind + QLatin1Char(' ');
        t += k.lastSuccess.isValid() ? QStringLiteral("%1 (%2)").arg(k.lastSuccess.toLocalTime().toString(
                                                                         QStringLiteral("yyyy-MM-dd HH:mm")),
                                                                     AgeText(k.lastSuccess, now))
                                     : QStringLiteral("never");
        t += !k.hasRun   ? QStringLiteral(", last job: not run")
             : k.last.ok ? QStringLiteral(", last job: ok")
                         : QStringLiteral(", last job: failed: ") + k.last.error;
        kindTexts << t;
    }
    fields << (kindTexts.isEmpty() ? QStringLiteral("no backups") : kindTexts.join(QStringLiteral("; ")));
    fields << (fileProblems.isEmpty() ? QStringLiteral("files complete")
                                      : QStringLiteral("%1 file problem(s)").arg(fileProblems.size()));
    fields << (verifyProblems.isEmpty() ? QStringLiteral("verify clean")
                                        : QStringLiteral("verify not clean"));
    fields << (headId.isEmpty()
                   ? QStringLiteral("no history")
                   : QStringLiteral("history %1 %2")
                         .arg(headId, headTime.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    if (remote)
        fields << QStringLiteral("pushes owed: %1").arg(pushesOwed);
    if (!reason.isEmpty())
        fields << reason;
    return fields.join(QLatin1Char('\t'));
}

QByteArray SetupHealth::Metrics(const QList<SetupHealth>& setups) {
    struct Family {
        const char* name;
        const char* help;
        bool perKind;
    };
    static const Family families[] = {
        {"qdv70_backup_last_success_timestamp_seconds", "When the last good backup of the kind was taken.",
         true},
        {"qdv70_backup_last_run_timestamp_seconds", "When the last backup job of the kind ended.", true},
        {"qdv70_backup_last_run_ok", "1 when the last backup job of the kind succeeded, else 0.", true},
        {"qdv70_backup_duration_seconds", "How long the last backup job of the kind took.", true},
        {"qdv70_backup_files_not_acquired", "Files the last backup job of the kind did not store.", true},
        {"qdv70_backup_verify_clean", "1 when the backup folder matches its last snapshot and sizes, else 0.",
         false},
        {"qdv70_history_pushes_owed", "Snapshots whose push to the history remote is still owed.", false},
    };
    QString out;
    for (int f = 0; f < int(std::size(families)); ++f) {
        const Family& family = families[f];
        out += QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n")
                   .arg(QLatin1String(family.name), QLatin1String(family.help));
        for (const SetupHealth& h : setups) {
            const QString setupLabel = QStringLiteral("setup=\"%1\"").arg(LabelValue(h.name));
            if (!family.perKind) {
                const int value = f == 5 ? (h.verifyProblems.isEmpty() ? 1 : 0) : h.pushesOwed;
                out += QStringLiteral("%1{%2} %3\n").arg(QLatin1String(family.name), setupLabel).arg(value);
                continue;
            }
            for (const Kind& k : h.kinds) {
                double value = 0;
                switch (f) {
                case 0:
                    if (!k.lastSuccess.isValid())
                        continue;
                    value = k.lastSuccess.toMSecsSinceEpoch() / 1000.0;
                    break;
                case 1:
                    if (!k.hasRun)
                        continue;
                    value = k.last.finished.toMSecsSinceEpoch() / 1000.0;
                    break;
                case 2:
                    if (!k.hasRun)
                        continue;
                    value = k.last.ok ? 1 : 0;
                    break;
                case 3:
                    if (!k.hasRun)
                        continue;
                    value = k.last.DurationSeconds();
                    break;
                default:
                    if (!k.hasRun)
                        continue;
                    value = k.last.missing.size();
                    break;
                }
                out += QStringLiteral("%1{%2,kind=\"%3\"} %4\n")
                           .arg(QLatin1String(family.name), setupLabel, k.kind, Number(value));
            }
        }
    }
    return out.toUtf8();
}

} // namespace qdv
