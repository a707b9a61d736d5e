#pragma once

#include "link/FileResult.h"
#include "store/JobKind.h"

#include <QByteArrayView>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace qdv {

// The one place where a running job reports to whoever watches it: busy, progress, two status lines, the
// last catalogue code and the Primary done mask. The link engine writes it, the windows and the
// command-line tool poll it. Numbers and flags are atomics; the status lines are guarded by a mutex.
// A reader looks at a finished job's results only after busy has fallen, which the engine clears last.
// The end of every file is queued as a FileResult for a reader that logs them.
class StatusBlock {
public:
    static constexpr int kLineLength = 512;

    std::atomic<bool> busy{false};
    std::atomic<bool> error{false};
    std::atomic<bool> abortRequest{false};
    std::atomic<std::uint32_t> progressPosition{0};
    std::atomic<std::uint32_t> progressTotal{0};
    std::atomic<std::uint32_t> lastError{0};
    std::atomic<Direction> direction{Direction::Receive};
    std::atomic<JobKind> jobKind{kJobPrimary};
    std::atomic<bool> gaugeShown{false};
    std::atomic<bool> gaugeChanged{false};
    std::atomic<bool> progressChanged{false};
    std::atomic<std::uint32_t> primaryDoneMask{0};

    // Clears every field, as at the start of a job.
    void Clear();

    // Mode 0 clears both lines; bit 0 sets line 1 to `text`; bit 1 sets line 2 to the catalogue text
    // of `code` in the user's language (code 0 leaves it empty).
    void SetStatusLines(int mode, const QString& text, int code);
    // Line 2 with a text of its own.
    void SetLine2(const QString& text);
    // Line 2 with the data of the record in flight (hexadecimal characters; the first 512 are kept).
    // Called for every record, so it only keeps the bytes: the text is made when a reader asks.
    void SetRecordData(QByteArrayView hdata);
    void SetProgress(std::uint32_t position);
    void ShowGauge(bool shown, std::uint32_t total);

    // Why the job failed in the system's own words, when the catalogue code alone does not say (a folder
    // that cannot be made, a refused connection); empty otherwise.
    void SetErrorDetail(const QString& text);
    QString ErrorDetail() const;

    // Readers: the line and whether it changed since the last take; the changed flag is cleared.
    bool TakeLine1(QString* text);
    bool TakeLine2(QString* text);
    QString Line1() const;
    QString Line2() const;

    // Why a job ended before it began, in words of its own (its backup folder stayed busy); empty
    // otherwise. Cleared with the block.
    void SetJobFailure(const QString& text);
    QString JobFailure() const;

    // The engine adds one result per file as it ends; a reader takes those added since its last take.
    void AddFileResult(FileResult result);
    std::vector<FileResult> TakeFileResults();

    // Files that were not moved beyond those the Primary done mask tells (names a network controller
    // listed), and why a file was not moved; a name noted twice keeps its last reason, and a name
    // moved later is forgotten. AddFileResult notes failed files that carry a reason, and forgets moved
    // ones. Kept until the next Clear().
    struct NotStored {
        QString name;
        QString reason;
    };
    void NoteNotStored(const QString& name, const QString& reason);
    void ForgetNotStored(const QString& name);
    std::vector<NotStored> NotStoredFiles() const;

private:
    QString Line2Locked() const;

    mutable std::mutex m_mutex;
    QString m_line1;
    QString m_line2;
    QString m_errorDetail;
    std::array<char, kLineLength> m_recordData{}; // line 2 while m_line2IsRecord
    int m_recordLength = 0;
    bool m_line2IsRecord = false;
    bool m_line1Changed = false;
    bool m_line2Changed = false;
    std::vector<FileResult> m_fileResults;
    std::vector<NotStored> m_notStored;
    QString m_jobFailure;
};

} // namespace qdv
