#include "link/StatusBlock.h"

#include "base/MessageCatalogue.h"

#include <algorithm>
#include <cstring>

namespace qdv {

void StatusBlock::Clear() {
    busy = false;
    error = false;
    abortRequest = false;
    progressPosition = 0;
    progressTotal = 0;
    lastError = 0;
    direction = Direction::Receive;
    jobKind = kJobPrimary;
    gaugeShown = false;
    gaugeChanged = false;
    progressChanged = false;
    primaryDoneMask = 0;
    std::lock_guard lock(m_mutex);
    m_line1.clear();
    m_line2.clear();
    m_errorDetail.clear();
    m_line2IsRecord = false;
    m_line1Changed = false;
    m_line2Changed = false;
    m_fileResults.clear();
    m_notStored.clear();
    m_jobFailure.clear();
}

void StatusBlock::SetJobFailure(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_jobFailure = text;
}

QString StatusBlock::JobFailure() const {
    std::lock_guard lock(m_mutex);
    return m_jobFailure;
}

void StatusBlock::SetStatusLines(int mode, const QString& text, int code) {
    std::lock_guard lock(m_mutex);
    if (mode == 0) {
        m_line1.clear();
        m_line2.clear();
        m_line2IsRecord = false;
        m_line1Changed = m_line2Changed = true;
        return;
    }
    if (mode & 1) {
        m_line1 = text.left(kLineLength);
        m_line1Changed = true;
    }
    if (mode & 2) {
        m_line2 = code == 0 ? QString() : CatalogueText(code);
        m_line2IsRecord = false;
        m_line2Changed = true;
    }
}

void StatusBlock::SetLine2(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_line2 = text.left(kLineLength);
    m_line2IsRecord = false;
    m_line2Changed = true;
}

void StatusBlock::SetRecordData(QByteArrayView hdata) {
    const auto n = static_cast<int>(std::min<qsizetype>(hdata.size(), kLineLength));
    std::lock_guard lock(m_mutex);
    std::memcpy(m_recordData.data(), hdata.data(), static_cast<std::size_t>(n));
    m_recordLength = n;
    m_line2IsRecord = true;
    m_line2Changed = true;
}

QString StatusBlock::Line2Locked() const {
    if (m_line2IsRecord)
        return QString::fromLatin1(m_recordData.data(), m_recordLength);
    return m_line2;
}

void StatusBlock::SetProgress(std::uint32_t position) {
    progressPosition = position;
    progressChanged = true;
}

void StatusBlock::ShowGauge(bool shown, std::uint32_t total) {
    progressTotal = total;
    gaugeShown = shown;
    gaugeChanged = true;
}

bool StatusBlock::TakeLine1(QString* text) {
    std::lock_guard lock(m_mutex);
    *text = m_line1;
    return std::exchange(m_line1Changed, false);
}

bool StatusBlock::TakeLine2(QString* text) {
    std::lock_guard lock(m_mutex);
    *text = Line2Locked();
    return std::exchange(m_line2Changed, false);
}

void StatusBlock::SetErrorDetail(const QString& text) {
    std::lock_guard lock(m_mutex);
    m_errorDetail = text;
}

QString StatusBlock::ErrorDetail() const {
    std::lock_guard lock(m_mutex);
    return m_errorDetail;
}

QString StatusBlock::Line1() const {
    std::lock_guard lock(m_mutex);
    return m_line1;
}

QString StatusBlock::Line2() const {
    std::lock_guard lock(m_mutex);
    return Line2Locked();
}

void StatusBlock::AddFileResult(FileResult result) {
    // A file that failed with a reason of its own is noted with it; one moved later (after a fallback
    // to the packet protocol) is no longer missing.
    const QString name = result.Name();
    if (result.code == 0 && !result.skipped)
        ForgetNotStored(name);
    else if (result.code != 0 && !result.detail.isEmpty())
        NoteNotStored(name, result.detail);
    std::lock_guard lock(m_mutex);
    m_fileResults.push_back(std::move(result));
}

void StatusBlock::ForgetNotStored(const QString& name) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_notStored, [&](const NotStored& n) { return n.name == name; });
}

std::vector<FileResult> StatusBlock::TakeFileResults() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_fileResults, {});
}

void StatusBlock::NoteNotStored(const QString& name, const QString& reason) {
    std::lock_guard lock(m_mutex);
    for (NotStored& n : m_notStored) {
        if (n.name == name) {
            n.reason = reason;
            return;
        }
    }
    m_notStored.push_back({name, reason});
}

std::vector<StatusBlock::NotStored> StatusBlock::NotStoredFiles() const {
    std::lock_guard lock(m_mutex);
    return m_notStored;
}

} // namespace qdv
