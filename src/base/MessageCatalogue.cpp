#include "base/MessageCatalogue.h"

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
    {100, "Routing Switcher System Backup Software", "Routing Switcher System Backup Software"},
    {101, "QDV-70 has already been activated.", "QDV-70は既に起動しています"},
    {102, "The communication was aborted.", "通信を終了します"},
    {103, "Do you quit the application?", "アプリケーションを終了しますか？"},
    {104, "Do you want to convert these Description/Alias data into the DAU file?", "デスクリプション/エイリアスデータをDAUファイルに変換しますか？"},
    {105, "Do you want to convert these crosspoint data into the DAU file?", "クロスポイントデータをDAUファイルに変換しますか？"},
    {106, "Do you want to convert these Description/Alias data into the CSV file?", "デスクリプション/エイリアスデータをCSVファイルに変換しますか？"},
    {107, "Do you want to convert these crosspoints data into the CSV file?", "クロスポイントデータをCSVファイルに変換しますか？"},
    {108, "ZEBU_STD.DAU doesn't exist.", "ZEBU_STD.DAUファイルが存在しません"},
    {109, "Do you want to delete the selected setup?", "選択された設定を削除しますか？"},
    {110, "Not found Help File.", "ヘルプファイルが見つかりません"},
    {111, "Please input Setup Name.", "Setup Nameが入力されていません"},
    {112, "Please input Backup Data Path.", "Backup Data Pathが入力されていません"},
    {120, "The Setup Name is too long (259 characters at most).", "Setup Nameが長すぎます（259文字以内）"},
    {121, "The Backup Data Path is too long (259 characters at most).", "Backup Data Pathが長すぎます（259文字以内）"},
    {122, "A setup with this Setup Name already exists.", "同じSetup Nameの設定が既にあります"},
    {123, "Please input a port number from 1 to 65535.", "ポート番号は1～65535で入力してください"},
    {124, "Please choose a COM port from COM1 to COM15.", "COMポートはCOM1～COM15から選択してください"},
    {125, "Discard the changes?", "変更を破棄しますか？"},
    {126, "No setups yet: Setup > Setup... adds one", "設定がまだありません：Setup > Setup... で追加してください"},
    {127, "Verification failed: 1 file differs from what was sent:", "検証に失敗しました：送信した内容と異なるファイルが1個あります："},
    {128, "Verification failed: %1 files differ from what was sent:", "検証に失敗しました：送信した内容と異なるファイルが%1個あります："},
    {129, "Looked in:", "探した場所："},
    {130, "\"%1\" (U+%2) is not in the controller's character set (ASCII and half-width katakana).", "「%1」(U+%2)はコントローラーの文字セット（ASCIIと半角カタカナ）にありません"},
    {131, "A comma separates the fields of the CSV text; it cannot stand in a description or alias.", "カンマはCSVの区切りなので、デスクリプションやエイリアスには使えません"},
    {132, "A description cannot hold \"/\": the description file ends the text there.", "デスクリプションに「/」は使えません（デスクリプションファイルではそこで文字列が終わります）"},
    {133, "A description or alias holds at most %1 characters.", "デスクリプションとエイリアスは%1文字までです"},
    {134, "The desktop could not open the help file:", "ヘルプファイルを開けませんでした："},
    {300, "The communication port was not opened.", "通信ポートが開けません"},
    {301, "Time-out(Cannot connect.)", "接続待ちタイムアウト"},
    {302, "Time-out(Cannot receive READY.)", "READY待ちタイムアウト"},
    {303, "Time-out(Cannot receive ACK.)", "ACK待ちタイムアウト"},
    {304, "Time-out(Cannot receive packet data.)", "パケット受信待ちタイムアウト"},
    {305, "Error(Packet size over.)", "受信パケットサイズ異常"},
    {306, "Error(Packet PN.)", "受信パケットパケットNo.(PN)異常"},
    {307, "Error(Packet DLEN.)", "受信パケット転送データサイズ(DLEN)異常"},
    {308, "Error(Packet OSET.)", "受信パケットオフセットNo.(OSET)異常"},
    {309, "Error(Packet HDATA.)", "受信データ(HDATA)異常"},
    {310, "Error(Packet CS.)", "受信パケットチェックサム(CS)異常"},
    {311, "Error(Time-out.)", "受信パケット待ちタイムアウト"},
    {312, "Error(CRLF.)", "受信パケット終了コード(CRLF)異常"},
    {313, "Error(CMD.)", "受信コマンドNo.(CMD)異常"},
    {314, "Error(ID.)", "受信ID No(ID)異常"},
    {315, "Error(INDEX.)", "受信データ種別(INDEX)異常"},
    {316, "Error(Data.)", "受信データ異常"},
    {317, "Error(File size.)", "ファイルサイズ異常"},
    {318, "Error(Receive abort command.)", "強制終了コマンド受信"},
    {319, "Error(Communication line.)", "通信回線異常"},
    {320, "Error(Receive NAK.)", "NAK受信"},
    {321, "Error(Illegal IP ADDRESS.)", "不正なIPアドレス"},
    {400, "TCP/IP Connecting...", "TCP/IP接続中"},
    {401, "Sending GetInfo...", "GetInfo接続中"},
    {402, "Receiving GetInfoRes...", "GetInfoRes受信待ち中"},
    {403, "GetInfoRes OK.", "GetInfoRes受信OK"},
    {404, "FTP Connecting...", "FTPポート接続待中"},
    {405, "Receiving ReqBackupReadyRes...", "ReqBackupReadyRes受信待ち中"},
    {406, "ReqBackupReadyRes OK", "ReqBackupReadyRes受信OK"},
    {407, "Receiving PutFinishRes...", "PutFinishResレスポンス待ち中"},
    {408, "PutFinishRes OK", "PutFinishRes受信OK"},
    {409, "FTP OK.", "FTP通信正常終了"},
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
