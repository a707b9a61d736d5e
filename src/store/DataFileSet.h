#pragma once

#include <QString>
#include <cstdint>

namespace qdv {

// The ZEBU data file set: every data type code (1..16) names one file of the device and its fixed size.
// The code travels in packet records as one hexadecimal character.
struct DataFileEntry {
    int code = 0;
    char character = '\0'; // '1'..'F'; '\0' for code 16, which has no character
    const char* name = ""; // "NON" where the code has no file
    int fileSize = 0;      // bytes of the text file
    int imageSize = 0;     // bytes of the device image it encodes

    bool HasFile() const;
};

namespace datafiles {

// The size a received data file must have, by its name. A file of a known kind must have that kind's
// size (the tie-line file either of its two); any other file, a station's data file among them, may
// have any size up to the largest a known kind has. A transfer that brings more than `limit` bytes is
// stopped there.
struct SizeRule {
    qint64 size = 0;       // 0: no fixed size
    bool orDouble = false; // twice `size` is accepted too
    qint64 limit = 0;      // the most bytes a file of this name may have

    bool Accepts(qint64 bytes) const;
    // "100 bytes received, 1032 expected" (or "1032 or 2064", "at most 264192").
    QString Mismatch(qint64 bytes) const;
};

constexpr int kCodes = 16;
constexpr int kStd = 1;
constexpr int kXpt = 2;
constexpr int kTln = 3;
constexpr int kNme = 7;
constexpr int kStationDat = 8;

// The Primary data set in transfer order; bit i of a setup's primaryBackupFiles selects kPrimaryTypes[i].
constexpr char kPrimaryTypes[] = "134569BF";
constexpr int kPrimaryCount = 8;

constexpr int kAliasTables = 7;
constexpr int kAliasFileSize = 66048;

// Entry of a code 1..16; any other code gives an entry without a file.
const DataFileEntry& Entry(int code);
// Code of a data type character ('1'..'F', either case); 0 for anything else.
int CodeOfCharacter(char c);
// The bit that marks a data type as done in a Primary job's completion mask; 0 outside the set.
std::uint8_t PrimaryDoneBit(int code);

// The size of a data file of a known kind by its bare name, any case: the code table's files (a station's
// "ZEBU_nnn.DAT" included) and the alias tables; 0 for any other name.
qint64 KnownFileSize(const QString& name);
// True when a file of this name may have this size: its kind's size (the tie-line file may be twice
// as long), any size for a name of no known kind.
bool SizeAccepted(const QString& name, qint64 size);
// The rule a received file of this name is held to (see SizeRule).
SizeRule ReceiveRule(const QString& name);
// The largest size a file of a known kind has.
qint64 LargestFileSize();

// File name of a code; for the secondary station file the station number is filled in.
QString FileName(int code, int station = 0);
// "ZEBU_ALS<k>.DAU" for alias table k (1..7).
QString AliasFileName(int k);
// "ZEBU_<nnn>" folder of a station.
QString StationFolderName(int station);

} // namespace datafiles
} // namespace qdv
