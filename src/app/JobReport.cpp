#include "app/JobReport.h"

#include "base/MessageCatalogue.h"
#include "convert/TmTableRemote.h"
#include "link/StatusBlock.h"
#include "link/TransferJobs.h"
#include "store/DataFileSet.h"

namespace qdv {

QString JobReport::ListText() const {
    QString text = listTitle;
    for (const QString& f : missing) {
        text += QStringLiteral("\n       ") + f;
        if (reasons.contains(f))
            text += QStringLiteral(": ") + reasons.value(f);
    }
    return text;
}

QString JobReport::ErrorText() const {
    if (errorCode == 0)
        return {};
    return detail.isEmpty() ? CatalogueText(errorCode)
                            : CatalogueText(errorCode) + QLatin1Char('\n') + detail;
}

JobReport JobReport::FromStatus(const StatusBlock& status, const SetupRecord& setup, bool cancelled) {
    JobReport r;
    const bool receive = status.direction == Direction::Receive;
    const JobKind kind = status.jobKind;
    r.listTitle = receive ? QStringLiteral("The following files were not able to be acquired.")
                          : QStringLiteral("The following files were not able to be transmitted.");
    if (cancelled) {
        if (kind == kJobDescription)
            r.missing << QStringLiteral("ZEBU_NME.DAU");
        else if (kind == kJobCrosspoint)
            r.missing << QStringLiteral("ZEBU_XPT.DAU");
    }
    // A job that could not begin moved nothing; its reason is all there is to tell.
    r.errorText = status.JobFailure();
    if (!r.errorText.isEmpty())
        return r;
    if (status.error) {
        r.errorCode = static_cast<int>(status.lastError.load());
        r.detail = status.ErrorDetail();
        return r;
    }
    if (kind == kJobPrimary) {
        const std::uint32_t done = status.primaryDoneMask;
        for (int i = 0; i < datafiles::kPrimaryCount; ++i) {
            if ((setup.primaryBackupFiles & (1 << i)) && !(done & (1u << i)))
                r.missing << datafiles::FileName(datafiles::CodeOfCharacter(datafiles::kPrimaryTypes[i]));
        }
    }
    for (const StatusBlock::NotStored& n : status.NotStoredFiles()) {
        if (!r.missing.contains(n.name))
            r.missing << n.name;
        if (!n.reason.isEmpty())
            r.reasons.insert(n.name, n.reason);
    }
    return r;
}

JobReport JobReport::CheckSendFile(TmTableRemote& resolver, const SetupRecord& setup, JobKind kind) {
    JobReport r;
    r.listTitle = QStringLiteral("The following files were not able to be transmitted.");
    if (kind != kJobDescription && kind != kJobCrosspoint)
        return r;
    const int code = kind == kJobDescription ? datafiles::kNme : datafiles::kXpt;
    if (resolver.PrepareSendFile(setup, kind, 1, code).size == 0)
        r.missing << datafiles::FileName(code);
    return r;
}

} // namespace qdv
