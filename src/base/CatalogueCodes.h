#pragma once

// The codes of the message catalogue (base/MessageCatalogue.h) by meaning: what a failure or a status
// travels as through the program, 0 being success. The catalogue's texts are kept under these numbers.
namespace qdv::msg {

// Program and windows.
constexpr int kTitle = 100;
constexpr int kAlreadyRunning = 101;
constexpr int kAborted = 102; // the communication was aborted by the user
constexpr int kAskQuit = 103;
constexpr int kAskDescAliasToDau = 104;
constexpr int kAskCrosspointsToDau = 105;
constexpr int kAskDescAliasToCsv = 106;
constexpr int kAskCrosspointsToCsv = 107;
constexpr int kNoStandardSettings = 108; // ZEBU_STD.DAU does not exist
constexpr int kAskDeleteSetup = 109;
constexpr int kNoHelpFile = 110;
constexpr int kNoSetupName = 111;
constexpr int kNoBackupPath = 112;
constexpr int kSetupNameTooLong = 120;
constexpr int kBackupPathTooLong = 121;
constexpr int kSetupNameTaken = 122;
constexpr int kBadPort = 123; // a TCP port outside 1..65535
constexpr int kBadComPort = 124;
constexpr int kAskDiscard = 125;
constexpr int kNoSetups = 126;
constexpr int kOneFileDiffers = 127;
constexpr int kFilesDiffer = 128;
constexpr int kLookedIn = 129;
constexpr int kRefusedCharacter = 130; // a character the controller cannot store
constexpr int kRefusedComma = 131;
constexpr int kRefusedSlash = 132;
constexpr int kRefusedLength = 133;
constexpr int kHelpNotOpened = 134;

// The packet protocol and its jobs.
constexpr int kPortNotOpened = 300;
constexpr int kNoConnect = 301;
constexpr int kNoReady = 302;
constexpr int kNoAck = 303;
constexpr int kNoPacket = 304;
constexpr int kBadPacketSize = 305; // DLEN above 128 or a line feed in the header
constexpr int kBadPn = 306;
constexpr int kBadDlen = 307;
constexpr int kBadOset = 308;
constexpr int kBadHdata = 309;
constexpr int kBadChecksum = 310;
constexpr int kTimedOut = 311;
constexpr int kBadCrLf = 312;
constexpr int kBadCmd = 313;
constexpr int kBadId = 314;
constexpr int kBadType = 315; // the data type (INDEX) of a record
constexpr int kBadData = 316;
constexpr int kFileSize = 317;
constexpr int kAbortRecord = 318; // the device sent its abort command
constexpr int kLineFailure = 319;
constexpr int kNak = 320;
constexpr int kBadIpAddress = 321;

// The network controller's exchange.
constexpr int kTcpConnecting = 400;
constexpr int kSendingGetInfo = 401;
constexpr int kReceivingGetInfo = 402;
constexpr int kGetInfoOk = 403;
constexpr int kFtpConnecting = 404;
constexpr int kReceivingBackupReady = 405;
constexpr int kBackupReadyOk = 406;
constexpr int kReceivingPutFinish = 407;
constexpr int kPutFinishOk = 408;
constexpr int kFtpOk = 409;

} // namespace qdv::msg
