#pragma once

#include <QString>

#include <cstdint>

namespace qdv {

// Which way a job moves files: a receive brings the device's files into the backup folder, a send puts
// the folder's files on the device. The numbers are those the status block holds.
enum class Direction : std::uint32_t { Receive = 0, Send = 1 };

// Job kinds, the same numbers in both directions.
enum JobKind : int {
    kJobPrimary = 0,
    kJobDescription = 1,
    kJobCrosspoint = 2,
    kJobSecondary = 3,
    kJobDescriptionToSecondary = 4,
    kJobAliasToSecondary = 5,
    kJobStationMenu = 6,
    kJobKinds = 7,
};

// The name of a job kind: "Primary", "Description", ..., "Station menu".
QString JobKindName(JobKind kind);

} // namespace qdv
