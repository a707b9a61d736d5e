#pragma once

#include "history/JobRecord.h"
#include "store/SetupRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace qdv {

// Whether a setup's backups are current, complete and safely stored: the figures `qdv70cli status`
// prints, the metrics file carries and the setup box marks, worked out in one place.
struct SetupHealth {
    enum class Verdict { Ok, Stale, Failing, Unverified };

    // One kind of backup that the setup takes (Primary when it selects Primary files) or that has run.
    struct Kind {
        QString kind;          // "primary", "description", "crosspoint"
        QDateTime lastSuccess; // last good backup; Primary: the oldest of its files' times
        bool hasRun = false;   // a job's result is recorded
        history::JobResult last;
    };

    QString name;
    QString link; // "LAN,IP:PORT" or "COM n"
    QString folder;
    QList<Kind> kinds;
    QStringList fileProblems;   // files missing or of the wrong size
    QStringList verifyProblems; // everything verify reports; empty when clean
    QString headId;             // the history's last snapshot (short id), empty without one
    QDateTime headTime;
    bool remote = false; // [HISTORY] REMOTE is set
    int pushesOwed = 0;  // snapshots whose push to the remote failed and is still owed (0 or 1)
    Verdict verdict = Verdict::Ok;
    QString reason; // why the verdict is not ok; empty when it is

    // Gathers the figures of `setup` at `now`; `warnDays` as [BACKUP] WARN_DAYS (0: never stale).
    static SetupHealth Assess(const SetupRecord& setup, const QDateTime& now, int warnDays, bool remote);

    static QString VerdictWord(Verdict verdict);
    bool Ok() const { return verdict == Verdict::Ok; }
    QJsonObject ToJson(const QDateTime& now) const;
    // One line: name, verdict, link, each kind, files, verify, history, pushes owed, reason; tab-separated.
    QString TextLine(const QDateTime& now) const;

    // The Prometheus text format of `setups`, for the node exporter's textfile collector.
    static QByteArray Metrics(const QList<SetupHealth>& setups);
};

} // namespace qdv
