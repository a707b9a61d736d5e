#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace qdv {

// What the secondary-station dialogs and the link engine share about stations 2..255: which are chosen,
// how each transfer went, the station menu's answer, and the state of a names transfer.
class StationTables {
public:
    static constexpr int kFirst = 2;
    static constexpr int kLast = 255;

    // kCancelled is written only by the station dialogs, after a run the operator cancelled.
    enum State : std::uint8_t { kNotChosen = 0, kChosen = 1, kInProgress = 2, kDone = 3, kCancelled = 4 };
    enum Result : std::uint8_t { kSuccess = 0, kFailed = 1, kNoAnswer = 2, kAbortedByStation = 3 };

    std::array<std::atomic<std::uint8_t>, 256> state{};
    std::array<std::atomic<std::uint8_t>, 256> result{};
    std::atomic<int> currentStation{0};
    std::atomic<int> dialogState{0};
    std::atomic<bool> dialogError{false};

    // Station menu answers: present flag and device type code per station ID 1..255 (index ID - 1).
    std::array<std::atomic<bool>, 255> present{};
    std::array<std::atomic<std::uint8_t>, 255> deviceType{};

    void SetAddress(int station, const QString& address);
    QString Address(int station) const;

    // Zeroes the per-station states, results and addresses, the current station and the names
    // transfer's state: the tables a station dialog prepares before it starts a job.
    void ClearStations();
    // Zeroes the station menu's answers.
    void ClearMenu();

    // Every station still chosen or in progress ends as failed.
    void MarkRemainingFailed();

    // The two parsers of a station menu answer: 510 hexadecimal characters, two per station ID 1..255.
    // The first sets a station present when its pair is not "00"; the second stores the pair as the
    // station's device type. Each clears its table first; a short answer leaves the rest cleared.
    void ParsePresence(QByteArrayView text);
    void ParseDeviceTypes(QByteArrayView text);

private:
    mutable std::mutex m_mutex;
    std::array<QString, 256> m_address;
};

} // namespace qdv
