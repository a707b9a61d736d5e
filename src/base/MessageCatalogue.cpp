#include "base/MessageCatalogue.h"

#include "base/CatalogueCodes.h"

#include <QLocale>

namespace qdv {
namespace {

struct CatalogueEntry {
    int code;
    const char* english;
    const char* japanese; // UTF-8
};

// clang-format off
constexpr CatalogueEntry kEntries[] = {
    {msg::kTitle, "Routing Switcher System Backup Software", "Routing Switcher System Backup Software"},
    {msg::kAlreadyRunning, "QDV-70 has already been activated.", "QDV-70は既に起動しています"},
    {msg::kAborted, "The communication was aborted.", "通信を終了します"},
    {msg::kAskQuit, "Do you quit the application?", "アプリケーションを終了しますか？"},
    {msg::kAskDescAliasToDau, "Do you want to convert these Description/Alias data into the DAU file?", "デスクリプション/エイリアスデータをDAUファイルに変換しますか？"},
    {msg::kAskCrosspointsToDau, "Do you want to convert these crosspoint data into the DAU file?", "クロスポイントデータをDAUファイルに変換しますか？"},
    {msg::kAskDescAliasToCsv, "Do you want to convert these Description/Alias data into the CSV file?", "デスクリプション/エイリアスデータをCSVファイルに変換しますか？"},
    {msg::kAskCrosspointsToCsv, "Do you want to convert these crosspoints data into the CSV file?", "クロスポイントデータをCSVファイルに変換しますか？"},
    {msg::kNoStandardSettings, "ZEBU_STD.DAU doesn't exist.", "ZEBU_STD.DAUファイルが存在しません"},
    {msg::kAskDeleteSetup, "Do you want to delete the selected setup?", "選択された設定を削除しますか？"},
    {msg::kNoHelpFile, "Not found Help File.", "ヘルプファイルが見つかりません"},
    {msg::kNoSetupName, "Please input Setup Name.", "Setup Nameが入力されていません"},
    {msg::kNoBackupPath, "Please input Backup Data Path.", "Backup Data Pathが入力されていません"},
    {msg::kSetupNameTooLong, "The Setup Name is too long (259 characters at most).", "Setup Nameが長すぎます（259文字以内）"},
    {msg::kBackupPathTooLong, "The Backup Data Path is too long (259 characters at most).", "Backup Data Pathが長すぎます（259文字以内）"},
    {msg::kSetupNameTaken, "A setup with this Setup Name already exists.", "同じSetup Nameの設定が既にあります"},
    {msg::kBadPort, "Please input a port number from 1 to 65535.", "ポート番号は1～65535で入力してください"},
    {msg::kBadComPort, "Please choose a COM port from COM1 to COM15.", "COMポートはCOM1～COM15から選択してください"},
    {msg::kAskDiscard, "Discard the changes?", "変更を破棄しますか？"},
    {msg::kNoSetups, "No setups yet: Setup > Setup... adds one", "設定がまだありません：Setup > Setup... で追加してください"},
    {msg::kOneFileDiffers, "Verification failed: 1 file differs from what was sent:", "検証に失敗しました：送信した内容と異なるファイルが1個あります："},
    {msg::kFilesDiffer, "Verification failed: %1 files differ from what was sent:", "検証に失敗しました：送信した内容と異なるファイルが%1個あります："},
    {msg::kLookedIn, "Looked in:", "探した場所："},
    {msg::kRefusedCharacter, "\"%1\" (U+%2) is not in the controller's character set (ASCII and half-width katakana).", "「%1」(U+%2)はコントローラーの文字セット（ASCIIと半角カタカナ）にありません"},
    {msg::kRefusedComma, "A comma separates the fields of the CSV text; it cannot stand in a description or alias.", "カンマはCSVの区切りなので、デスクリプションやエイリアスには使えません"},
    {msg::kRefusedSlash, "A description cannot hold \"/\": the description file ends the text there.", "デスクリプションに「/」は使えません（デスクリプションファイルではそこで文字列が終わります）"},
    {msg::kRefusedLength, "A description or alias holds at most %1 characters.", "デスクリプションとエイリアスは%1文字までです"},
    {msg::kHelpNotOpened, "The desktop could not open the help file:", "ヘルプファイルを開けませんでした："},
    {msg::kPortNotOpened, "The communication port was not opened.", "通信ポートが開けません"},
    {msg::kNoConnect, "Time-out(Cannot connect.)", "接続待ちタイムアウト"},
    {msg::kNoReady, "Time-out(Cannot receive READY.)", "READY待ちタイムアウト"},
    {msg::kNoAck, "Time-out(Cannot receive ACK.)", "ACK待ちタイムアウト"},
    {msg::kNoPacket, "Time-out(Cannot receive packet data.)", "パケット受信待ちタイムアウト"},
    {msg::kBadPacketSize, "Error(Packet size over.)", "受信パケットサイズ異常"},
    {msg::kBadPn, "Error(Packet PN.)", "受信パケットパケットNo.(PN)異常"},
    {msg::kBadDlen, "Error(Packet DLEN.)", "受信パケット転送データサイズ(DLEN)異常"},
    {msg::kBadOset, "Error(Packet OSET.)", "受信パケットオフセットNo.(OSET)異常"},
    {msg::kBadHdata, "Error(Packet HDATA.)", "受信データ(HDATA)異常"},
    {msg::kBadChecksum, "Error(Packet CS.)", "受信パケットチェックサム(CS)異常"},
    {msg::kTimedOut, "Error(Time-out.)", "受信パケット待ちタイムアウト"},
    {msg::kBadCrLf, "Error(CRLF.)", "受信パケット終了コード(CRLF)異常"},
    {msg::kBadCmd, "Error(CMD.)", "受信コマンドNo.(CMD)異常"},
    {msg::kBadId, "Error(ID.)", "受信ID No(ID)異常"},
    {msg::kBadType, "Error(INDEX.)", "受信データ種別(INDEX)異常"},
    {msg::kBadData, "Error(Data.)", "受信データ異常"},
    {msg::kFileSize, "Error(File size.)", "ファイルサイズ異常"},
    {msg::kAbortRecord, "Error(Receive abort command.)", "強制終了コマンド受信"},
    {msg::kLineFailure, "Error(Communication line.)", "通信回線異常"},
    {msg::kNak, "Error(Receive NAK.)", "NAK受信"},
    {msg::kBadIpAddress, "Error(Illegal IP ADDRESS.)", "不正なIPアドレス"},
    {msg::kTcpConnecting, "TCP/IP Connecting...", "TCP/IP接続中"},
    {msg::kSendingGetInfo, "Sending GetInfo...", "GetInfo接続中"},
    {msg::kReceivingGetInfo, "Receiving GetInfoRes...", "GetInfoRes受信待ち中"},
    {msg::kGetInfoOk, "GetInfoRes OK.", "GetInfoRes受信OK"},
    {msg::kFtpConnecting, "FTP Connecting...", "FTPポート接続待中"},
    {msg::kReceivingBackupReady, "Receiving ReqBackupReadyRes...", "ReqBackupReadyRes受信待ち中"},
    {msg::kBackupReadyOk, "ReqBackupReadyRes OK", "ReqBackupReadyRes受信OK"},
    {msg::kReceivingPutFinish, "Receiving PutFinishRes...", "PutFinishResレスポンス待ち中"},
    {msg::kPutFinishOk, "PutFinishRes OK", "PutFinishRes受信OK"},
    {msg::kFtpOk, "FTP OK.", "FTP通信正常終了"},
};
// clang-format on

const CatalogueEntry* Find(int code) {
    for (const CatalogueEntry& e : kEntries) {
        if (e.code == code)
            return &e;
    }
    return nullptr;
}

} // namespace

QString MessageText(int code) {
    if (code <= 0)
        return {};
    if (code < kEnglishOffset) {
        const CatalogueEntry* e = Find(code);
        return e ? QString::fromUtf8(e->japanese) : QString();
    }
    if (code < 2 * kEnglishOffset) {
        const CatalogueEntry* e = Find(code - kEnglishOffset);
        return e ? QString::fromUtf8(e->english) : QString();
    }
    return {};
}

QString CatalogueText(int code) {
    return MessageText(code + LanguageOffset());
}

int LanguageOffset() {
    return QLocale::system().language() == QLocale::Japanese ? 0 : kEnglishOffset;
}

} // namespace qdv
