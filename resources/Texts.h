#pragma once

#include "resources/Text.h"

// Every text the windows, message boxes and logs show, in UTF-8. The system-log file gets
// them converted to cp932 on the way out. A gap written as "　" is the ideographic space.
namespace texts {

// --- System log messages ---
inline constexpr Text LogStarted{QT_TRANSLATE_NOOP("texts", "制御ソフト起動しました")};
inline constexpr Text LogClosing{QT_TRANSLATE_NOOP("texts", "制御ソフト終了します")};
inline constexpr Text LogConnected{QT_TRANSLATE_NOOP("texts", "デバイス %s/FW%s を接続しました")};
inline constexpr Text LogConnectFailed{QT_TRANSLATE_NOOP("texts", "デバイス %s を接続できません")};
inline constexpr Text LogDisconnected{QT_TRANSLATE_NOOP("texts", "デバイスを切断しました")};
inline constexpr Text LogDeviceLost{QT_TRANSLATE_NOOP("texts", "デバイスと切断されました")};
inline constexpr Text LogOutputOnAtDevice{QT_TRANSLATE_NOOP("texts", "出力をONしました")};
inline constexpr Text LogOutputOffAtDevice{QT_TRANSLATE_NOOP("texts", "出力をOFFしました")};
inline constexpr Text LogSourceUsbHost{QT_TRANSLATE_NOOP("texts", "USBホスト給電中")};
inline constexpr Text LogSourceAdapter{QT_TRANSLATE_NOOP("texts", "アダプタ給電中")};
inline constexpr Text LogSourceAdapterIdle{QT_TRANSLATE_NOOP("texts", "アダプタ接続　未給電中")};
inline constexpr Text LogOutputOnByOperator{QT_TRANSLATE_NOOP("texts", "出力を ON しました")};
inline constexpr Text LogOutputOffByOperator{QT_TRANSLATE_NOOP("texts", "出力を OFF しました")};
inline constexpr Text LogSetpointSent{
    QT_TRANSLATE_NOOP("texts", "出力を %.2fV/%.3fA にセットしました")};
inline constexpr Text LogVoltageTooHigh{
    QT_TRANSLATE_NOOP("texts", "許容設定電圧を超えるため設定できません")};
inline constexpr Text LogCurrentTooHigh{
    QT_TRANSLATE_NOOP("texts", "許容設定電流を超えるため設定できません")};
inline constexpr Text LogPowerTooHigh{
    QT_TRANSLATE_NOOP("texts", "許容電力容量を超えるため設定できません")};
// A field's text at a set is no number as a whole (pasted "1,5", "12abc", "-5").
inline constexpr Text LogNotANumber{QT_TRANSLATE_NOOP("texts", "入力値は数値ではありません")};
inline constexpr Text LogCsvStarted{QT_TRANSLATE_NOOP("texts", "ログを開始しました")};
inline constexpr Text LogCsvOpenFailed{
    QT_TRANSLATE_NOOP("texts", "ログファイルをオープンできません")};
inline constexpr Text LogCsvStopped{QT_TRANSLATE_NOOP("texts", "ログを停止しました")};
inline constexpr Text LogCsvWriteFailed{QT_TRANSLATE_NOOP("texts", "ログファイルに書き込めません")};
// The device was lost while the log's file was being chosen; no file was touched.
inline constexpr Text LogCsvNotConnected{
    QT_TRANSLATE_NOOP("texts", "デバイスが接続されていないためログを開始できません")};

// Why a port that is there could not be opened, after the line of the failed connect. The
// port, then the group whose members may use it (twice: the advice and its command).
inline constexpr Text LogPortNeedsGroup{QT_TRANSLATE_NOOP(
    "texts", "ポート %s を開く権限がありません。グループ %s に参加し(sudo usermod -aG %s $USER)、"
             "ログインし直してください")};
// The same where no group may use it: the port.
inline constexpr Text LogPortNoPermission{QT_TRANSLATE_NOOP(
    "texts", "ポート %s を開く権限がありません。デバイスの所有者と権限を確認してください")};
// The port.
inline constexpr Text LogPortInUse{
    QT_TRANSLATE_NOOP("texts", "ポート %s は他のプログラムが使用中です")};
// The key of section [DISPLAY] whose value could not be used.
inline constexpr Text LogDisplaySettingBad{
    QT_TRANSLATE_NOOP("texts", "設定 [DISPLAY] %s の値が正しくないため既定値を使います")};
// A signal ends the panel as its window's closing does: the signal's name ("SIGHUP").
inline constexpr Text LogEndingOnSignal{QT_TRANSLATE_NOOP("texts", "%s を受けたため終了します")};

// --- Message box captions and texts ---
inline constexpr Text CaptionError{QT_TRANSLATE_NOOP("texts", "ERROR")};
inline constexpr Text CaptionOk{QT_TRANSLATE_NOOP("texts", "OK")};
inline constexpr Text ScanNotFound{QT_TRANSLATE_NOOP("texts", "デバイスが見つかりません")};
inline constexpr Text ScanFound{QT_TRANSLATE_NOOP("texts", "デバイスが %s で見つかりました")};

// Between the parts of one line of text.
inline constexpr Text Gap{QT_TRANSLATE_NOOP("texts", "　")};

// --- Main window ---
inline constexpr Text MainCaption{QT_TRANSLATE_NOOP("texts", "Quorel")};
inline constexpr Text GroupSetpoints{QT_TRANSLATE_NOOP("texts", "設定値")};
inline constexpr Text GroupOutput{QT_TRANSLATE_NOOP("texts", "出力")};
inline constexpr Text GroupLog{QT_TRANSLATE_NOOP("texts", "ログ")};
inline constexpr Text GroupDevice{QT_TRANSLATE_NOOP("texts", "ﾃﾞﾊﾞｲｽ")};
inline constexpr Text GroupReadings{QT_TRANSLATE_NOOP("texts", "現在値")};
inline constexpr Text GroupHistory{QT_TRANSLATE_NOOP("texts", "出力の履歴")};
inline constexpr Text GroupHistoryWithSpan{QT_TRANSLATE_NOOP("texts", "出力の履歴(%d秒)")};
inline constexpr Text GroupSystemLog{QT_TRANSLATE_NOOP("texts", "システムログ")};
inline constexpr Text ButtonConnect{QT_TRANSLATE_NOOP("texts", "接続")};
inline constexpr Text ButtonDisconnect{QT_TRANSLATE_NOOP("texts", "切断")};
inline constexpr Text ButtonSettings{QT_TRANSLATE_NOOP("texts", "設定")};
inline constexpr Text ButtonLogStart{QT_TRANSLATE_NOOP("texts", "開始")};
inline constexpr Text ButtonLogStop{QT_TRANSLATE_NOOP("texts", "停止")};
inline constexpr Text ButtonSet{QT_TRANSLATE_NOOP("texts", "set")};
inline constexpr Text LabelMain{QT_TRANSLATE_NOOP("texts", "Main")};
inline constexpr Text SourceUsbHostInitial{
    QT_TRANSLATE_NOOP("texts", "USBホスト給電　出力電力1.5W")};
inline constexpr Text SourceUsbHost{
    QT_TRANSLATE_NOOP("texts", "USBホスト給電中　最大出力電力1.5W")};
inline constexpr Text SourceAdapter{
    QT_TRANSLATE_NOOP("texts", "ACアダプタ給電中　最大出力電力6.0W")};
inline constexpr Text SourceAdapterIdle{QT_TRANSLATE_NOOP("texts", "ACアダプタ接続　未給電")};
inline constexpr Text MenuAbout{QT_TRANSLATE_NOOP("texts", "REZAZOZER のﾊﾞｰｼﾞｮﾝ情報(&A)...")};
// A mnemonic as the other commands of the menu have one.
inline constexpr Text MenuFirmwareUpdate{QT_TRANSLATE_NOOP("texts", "ファームウェアの更新")};
inline constexpr Text AboutCaption{QT_TRANSLATE_NOOP("texts", "Quorelのﾊﾞｰｼﾞｮﾝ情報")};
inline constexpr Text AboutVersion{QT_TRANSLATE_NOOP("texts", "Quorel Version 1.0.1.0")};
inline constexpr Text AboutLine1{QT_TRANSLATE_NOOP("texts", "USB プログラマブル電源 制御ソフト")};
inline constexpr Text AboutLine2{QT_TRANSLATE_NOOP("texts", "出力 0～20V / 0～1A")};
inline constexpr Text AboutLine3{
    QT_TRANSLATE_NOOP("texts", "USBホスト給電 1.5W / ACアダプタ 6.0W")};
inline constexpr Text AboutLine4{QT_TRANSLATE_NOOP("texts", "Qt 6 / Linux 版")};
inline constexpr Text AboutLine5{QT_TRANSLATE_NOOP("texts", "Copyright (C) Quorel")};
inline constexpr Text MenuTitle{QT_TRANSLATE_NOOP("texts", "Quorel")};
inline constexpr Text MenuClose{QT_TRANSLATE_NOOP("texts", "閉じる(&C)")};
inline constexpr const char* FontPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* FontGothic = "ＭＳ ゴシック";

// --- Settings dialog ---
inline constexpr Text SettingsCaption{QT_TRANSLATE_NOOP("texts", "設定")};
inline constexpr Text ButtonScan{QT_TRANSLATE_NOOP("texts", "SCAN")};
inline constexpr Text SettingsOk{QT_TRANSLATE_NOOP("texts", "OK")};
inline constexpr Text SettingsCancel{QT_TRANSLATE_NOOP("texts", "ｷｬﾝｾﾙ")};
inline constexpr Text SettingsGroupConnection{QT_TRANSLATE_NOOP("texts", "接続の設定")};
inline constexpr Text SettingsPort{QT_TRANSLATE_NOOP("texts", "ポート")};
inline constexpr Text SettingsConnectAtStart{QT_TRANSLATE_NOOP("texts", "起動時に接続する")};
inline constexpr Text SettingsGroupHistory{QT_TRANSLATE_NOOP("texts", "出力履歴の設定")};
inline constexpr Text SettingsSpan{QT_TRANSLATE_NOOP("texts", "スパン")};
inline constexpr Text SettingsAfterRestart{QT_TRANSLATE_NOOP("texts", "再起動後に有効")};
inline constexpr Text SettingsGroupOther{QT_TRANSLATE_NOOP("texts", "その他")};
inline constexpr Text SettingsUseSysLogFile{
    QT_TRANSLATE_NOOP("texts", "システムログをファイルに保存")};
inline constexpr Text SettingsOffsetAtt{QT_TRANSLATE_NOOP("texts", "分圧器の電流をオフセットする")};
inline constexpr Text SettingsFile{QT_TRANSLATE_NOOP("texts", "ﾌｧｲﾙ")};
inline constexpr Text ButtonBrowse{QT_TRANSLATE_NOOP("texts", "参照")};
inline constexpr Text FilterLogFile{
    QT_TRANSLATE_NOOP("texts", "log file(*.log)|*.log|全て(*.*)|*.*||")};
inline constexpr Text Span60{QT_TRANSLATE_NOOP("texts", "60秒")};
inline constexpr Text Span120{QT_TRANSLATE_NOOP("texts", "120秒")};
inline constexpr Text Span180{QT_TRANSLATE_NOOP("texts", "180秒")};
inline constexpr Text Span240{QT_TRANSLATE_NOOP("texts", "240秒")};

// --- Measurement log chooser ---
inline constexpr Text FilterCsv{QT_TRANSLATE_NOOP("texts", "CSV(*.csv)|*.csv|全て(*.*)|*.*||")};
inline constexpr Text CsvIntervalLabel{QT_TRANSLATE_NOOP("texts", "ログの出力間隔:")};
inline constexpr Text CsvInterval1s{QT_TRANSLATE_NOOP("texts", "1秒")};
inline constexpr Text CsvInterval10s{QT_TRANSLATE_NOOP("texts", "10秒")};
inline constexpr Text CsvInterval1m{QT_TRANSLATE_NOOP("texts", "1分")};
inline constexpr Text CsvInterval10m{QT_TRANSLATE_NOOP("texts", "10分")};
inline constexpr Text CsvInterval1h{QT_TRANSLATE_NOOP("texts", "1時間")};
inline constexpr Text CsvAppend{QT_TRANSLATE_NOOP("texts", "既存ファイルの場合は追記する")};

// --- Firmware update ---
inline constexpr Text FirmwareInstructionsCaption{
    QT_TRANSLATE_NOOP("texts", "デバイス側ファームウェア更新プログラムの起動")};
inline constexpr Text FirmwareInstructions{QT_TRANSLATE_NOOP(
    "texts",
    "ファーム更新に失敗しても更新プログラムの起動ができるよう、更新プログラムは主プログラムと\n"
    "完全に独立しています。このため、次の手順により更新プログラムを起動してください。\n\n"
    "1. デバイスからすべてのケーブルを外し、パワーオンリセットするため10秒以上放置します。\n"
    "2. OUTPUTスイッチを押したままUSBケーブルを接続し、CV(緑色)LEDが点滅するまで押し続けます。\n"
    "3. 点滅を確認したら、OKボタンを押して、ファームウェア更新に進んでください。")};
inline constexpr Text FirmwareDialogCaption{QT_TRANSLATE_NOOP("texts", "ファームウェア更新")};
inline constexpr Text FirmwarePort{QT_TRANSLATE_NOOP("texts", "ポート")};
inline constexpr Text FirmwareFile{QT_TRANSLATE_NOOP("texts", "ﾌｧｰﾑHEXﾌｧｲﾙ")};
inline constexpr Text FirmwareUpdateButton{QT_TRANSLATE_NOOP("texts", "更新")};
inline constexpr Text FirmwareCancelButton{QT_TRANSLATE_NOOP("texts", "ｷｬﾝｾﾙ")};
inline constexpr Text FirmwareTakesTime{
    QT_TRANSLATE_NOOP("texts", "この処理には少し時間がかかります。")};
inline constexpr Text FilterHex{
    QT_TRANSLATE_NOOP("texts", "hex file(*.hex)|*.hex|全て(*.*)|*.*||")};
inline constexpr Text FirmwareTransferCaption{
    QT_TRANSLATE_NOOP("texts", "ファームウェア転送中...")};
inline constexpr Text FirmwareTransferAddress{QT_TRANSLATE_NOOP("texts", "転送中のアドレス")};
inline constexpr Text FirmwareFileOpenFailed{
    QT_TRANSLATE_NOOP("texts", "指定のファームウェアHEXファイルを開けません。")};
inline constexpr Text FirmwareFileReadFailed{
    QT_TRANSLATE_NOOP("texts", "ファームウェアHEXファイル読み込みエラーです。")};
// The file programs none of the words the boot-loader writes; nothing was sent.
inline constexpr Text FirmwareFileNoProgram{
    QT_TRANSLATE_NOOP("texts", "ファームウェアHEXファイルに書き込むプログラムがありません。")};
inline constexpr Text FirmwareConnectFailed{QT_TRANSLATE_NOOP(
    "texts", "ファームウェア更新プログラムと通信できません。\n"
             "ファームウェア更新プログラムの起動手順とポートを確認してください。")};
inline constexpr Text FirmwareEraseFailed{
    QT_TRANSLATE_NOOP("texts", "フラッシュメモリ消去に失敗しました")};
inline constexpr Text FirmwareTransferFailed{
    QT_TRANSLATE_NOOP("texts", "ファームウェア転送エラーが発生しました。")};
inline constexpr Text FirmwareDoneCaption{QT_TRANSLATE_NOOP("texts", "ファームウェア更新完了")};
inline constexpr Text FirmwareDone{QT_TRANSLATE_NOOP(
    "texts", "ファームウェア更新は完了しました。\n"
             "ダイアログを閉じると更新プログラムを終了し、主プログラムが起動します。")};

// --- Command-line tool (quorelctl) ---
// What a device operation's result means, after the message of the step that failed.
inline constexpr Text ResultOpenFailed{QT_TRANSLATE_NOOP("texts", "ポートを開けません")};
inline constexpr Text ResultLinkError{QT_TRANSLATE_NOOP("texts", "通信エラーが発生しました")};
inline constexpr Text ResultBadReply{QT_TRANSLATE_NOOP("texts", "デバイスが正しく応答しません")};
inline constexpr Text ResultNotConnected{
    QT_TRANSLATE_NOOP("texts", "デバイスが接続されていません")};
// The output read back after switching is not what was asked for.
inline constexpr Text OutputNotFollowed{
    QT_TRANSLATE_NOOP("texts", "デバイスの出力が切り替わりませんでした")};
// A run, a charge, monitor or serve ends while its switch-off is still not confirmed, after
// the tries of its last seconds: the device's last answer.
inline constexpr Text OutputMayBeOn{
    QT_TRANSLATE_NOOP("texts", "出力をOFFできないため、出力がONのままの可能性があります(%s)")};
// The update's final message where no dialog is left to close.
inline constexpr Text FirmwareDoneNoDialog{
    QT_TRANSLATE_NOOP("texts", "ファームウェア更新は完了しました。\n"
                               "更新プログラムを終了し、主プログラムが起動します。")};
// run and charge, after the device was lost during the run: the seconds they look for it.
inline constexpr Text LookingForLostDevice{
    QT_TRANSLATE_NOOP("texts", "出力をOFFするためデバイスを探します(最長 %d 秒)")};
inline constexpr Text LostDeviceNotFound{QT_TRANSLATE_NOOP(
    "texts", "デバイスが見つからないため出力をOFFできません。出力がONのままの可能性があります")};
// Ctrl-Z while a run, a charge or a client's step list goes: the process is not stopped.
inline constexpr Text SuspendRefused{QT_TRANSLATE_NOOP(
    "texts",
    "実行中は一時停止(Ctrl-Z)できません。停止中は出力を監視できません。中止は Ctrl-C です")};
// The results could not be written (a full disk, a pipe whose reader has gone).
inline constexpr Text StandardOutputFailed{QT_TRANSLATE_NOOP("texts", "標準出力に書き込めません")};

// --- Measurement session: counters, protections, reconnection ---
inline constexpr Text ProtectionOverVoltage{QT_TRANSLATE_NOOP("texts", "過電圧保護")};
inline constexpr Text ProtectionOverCurrent{QT_TRANSLATE_NOOP("texts", "過電流保護")};
inline constexpr Text ProtectionOverPower{QT_TRANSLATE_NOOP("texts", "過電力保護")};
// The protection's name, its level and the measured value.
inline constexpr Text LogProtectionTripped{
    QT_TRANSLATE_NOOP("texts", "%sが作動し出力をOFFしました(設定 %s　測定 %s)")};
inline constexpr Text LogProtectionCleared{QT_TRANSLATE_NOOP("texts", "%sの作動を解除しました")};
// The protection's name and the largest level allowed.
inline constexpr Text LogProtectionLevelRefused{
    QT_TRANSLATE_NOOP("texts", "%sのレベルは0より大きく%s以下で設定してください")};
inline constexpr Text LogProtectionDelayRefused{
    QT_TRANSLATE_NOOP("texts", "過電流保護の遅延時間は0～3600秒で設定してください")};
inline constexpr Text LogOutputRefusedTripped{
    QT_TRANSLATE_NOOP("texts", "保護が作動中のため出力をONできません")};
inline constexpr Text LogCountersReset{QT_TRANSLATE_NOOP("texts", "積算値をリセットしました")};
// The key of section [SESSION] whose value could not be used.
inline constexpr Text LogSessionSettingBad{
    QT_TRANSLATE_NOOP("texts", "設定 [SESSION] %s の値が正しくないため既定値を使います")};
// Switching the device did not confirm: the device's answer.
inline constexpr Text LogOutputOffFailed{QT_TRANSLATE_NOOP("texts", "出力をOFFできません(%s)")};
inline constexpr Text LogOutputOnFailed{QT_TRANSLATE_NOOP("texts", "出力をONできません(%s)")};
// The protection's name, its level, the measured value, the device's answer to the switch-off.
inline constexpr Text LogProtectionTrippedOffFailed{
    QT_TRANSLATE_NOOP("texts", "%sが作動しましたが出力をOFFできません(設定 %s　測定 %s　%s)")};
// A switch-off sent again at a poll went through: one that had failed, or one made since a
// protection is latched.
inline constexpr Text LogOutputOffAgain{
    QT_TRANSLATE_NOOP("texts", "OFFできなかった出力をOFFしました")};
inline constexpr Text LogOutputOffAgainTripped{
    QT_TRANSLATE_NOOP("texts", "保護が作動中のため出力を再びOFFしました")};
// A run had left the output to nobody, and a connect switched it off before it said the
// connection: what ran, and when it started (local time). The run of this session that the
// loss of the device aborted:
inline constexpr Text LogLostRunOutputOff{
    QT_TRANSLATE_NOOP("texts", "デバイスと切断されて中止した実行(%s　%s 開始)の出力をOFFしました")};
// An earlier program's run whose marker was still there (the program was killed or crashed).
inline constexpr Text LogUnfinishedRunOutputOff{
    QT_TRANSLATE_NOOP("texts", "前回の実行(%s　%s 開始)が終了していなかったため出力をOFFしました")};
// The device refused that switch-off: the result. The next connect tries again.
inline constexpr Text LogUnfinishedRunOffFailed{
    QT_TRANSLATE_NOOP("texts", "終了していない実行の出力をOFFできません(%s)")};

// --- Remote control ---
// A remote client's action: its address, then the line the operator's action writes.
inline constexpr Text LogRemoteAction{QT_TRANSLATE_NOOP("texts", "リモート %s: %s")};
// The client's address.
inline constexpr Text LogRemoteClientConnected{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s が接続しました")};
inline constexpr Text LogRemoteClientDisconnected{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s が切断しました")};
inline constexpr Text LogRemoteClientRefusedFull{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s を拒否しました(接続数が上限です)")};
inline constexpr Text LogRemoteClientRefusedNotAllowed{QT_TRANSLATE_NOOP(
    "texts", "リモートのクライアント %s を拒否しました(許可されていないアドレスです)")};
inline constexpr Text LogRemoteClientDroppedNotReading{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s を切断しました(応答を受け取りません)")};
inline constexpr Text LogRemoteClientDroppedOnStop{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s を切断しました")};
// The address it listens on.
inline constexpr Text LogRemoteStarted{
    QT_TRANSLATE_NOOP("texts", "リモート制御を %s で開始しました")};
inline constexpr Text LogRemoteStopped{QT_TRANSLATE_NOOP("texts", "リモート制御を停止しました")};
// The address, then why.
inline constexpr Text LogRemoteStartFailed{
    QT_TRANSLATE_NOOP("texts", "リモート制御を %s で開始できません(%s)")};
inline constexpr Text RemoteAddressInUse{QT_TRANSLATE_NOOP("texts", "アドレスは使用中です")};
inline constexpr Text RemoteAddressUnavailable{
    QT_TRANSLATE_NOOP("texts", "このアドレスはありません")};
inline constexpr Text RemotePermissionDenied{QT_TRANSLATE_NOOP("texts", "権限がありません")};
inline constexpr Text RemoteFailed{QT_TRANSLATE_NOOP("texts", "ソケットのエラーです")};
// Why an address other hosts reach is not listened on without an allow list.
inline constexpr Text RemoteNeedsAllowList{QT_TRANSLATE_NOOP(
    "texts", "ループバック以外のアドレスには許可するネットワークが必要です。どのホストも許可する"
             "ときは 0.0.0.0/0 を指定してください")};
// The key of section [REMOTE] whose value could not be used.
inline constexpr Text LogRemoteSettingBad{
    QT_TRANSLATE_NOOP("texts", "設定 [REMOTE] %s の値が正しくないため既定値を使います")};
inline constexpr Text LogRemoteReset{
    QT_TRANSLATE_NOOP("texts", "リセットしました(出力OFF　保護解除　積算値リセット)")};
// The device's answer to the reset's switch-off.
inline constexpr Text LogRemoteResetOffFailed{QT_TRANSLATE_NOOP(
    "texts", "リセットしました(保護解除　積算値リセット)が、出力をOFFできません(%s)")};
// The protection's name and its new level.
inline constexpr Text LogProtectionLevelSet{
    QT_TRANSLATE_NOOP("texts", "%sのレベルを %s に設定しました")};
inline constexpr Text LogProtectionEnabled{QT_TRANSLATE_NOOP("texts", "%sを有効にしました")};
inline constexpr Text LogProtectionDisabled{QT_TRANSLATE_NOOP("texts", "%sを無効にしました")};
// The delay in seconds.
inline constexpr Text LogProtectionDelaySet{
    QT_TRANSLATE_NOOP("texts", "過電流保護の遅延時間を %s秒 に設定しました")};
// The main window's title while clients are connected: their number.
inline constexpr Text MainCaptionRemote{QT_TRANSLATE_NOOP("texts", "Quorel - リモート接続中(%d)")};
// VXI-11 beside the raw socket. The address it listens on.
inline constexpr Text LogVxi11Started{QT_TRANSLATE_NOOP("texts", "VXI-11 を %s で開始しました")};
inline constexpr Text LogVxi11Registered{
    QT_TRANSLATE_NOOP("texts", "VXI-11 をポートマッパーに登録しました")};
inline constexpr Text LogVxi11NoPortmapper{
    QT_TRANSLATE_NOOP("texts", "ポートマッパー(rpcbind)が動いていないため、TCPIP::ホスト::INSTR "
                               "ではこの装置が見つかりません")};
inline constexpr Text LogVxi11TakenByOther{
    QT_TRANSLATE_NOOP("texts", "ポートマッパーには別のプログラムが VXI-11 "
                               "を登録済みです。TCPIP::ホスト::INSTR はそちらにつながります")};
inline constexpr Text LogVxi11RegisterFailed{
    QT_TRANSLATE_NOOP("texts", "VXI-11 をポートマッパーに登録できません")};
inline constexpr Text LogVxi11NotOffered{
    QT_TRANSLATE_NOOP("texts", "このビルドでは VXI-11 は使えません")};
// The link's client address.
inline constexpr Text LogVxi11LinkCreated{
    QT_TRANSLATE_NOOP("texts", "VXI-11 のリンクを %s が開きました")};
inline constexpr Text LogVxi11LinkDestroyed{
    QT_TRANSLATE_NOOP("texts", "VXI-11 のリンクを %s が閉じました")};
inline constexpr Text LogVxi11LinkRefusedFull{
    QT_TRANSLATE_NOOP("texts", "%s の VXI-11 のリンクを拒否しました(接続数が上限です)")};
inline constexpr Text LogVxi11LinkDroppedNotReading{
    QT_TRANSLATE_NOOP("texts", "%s の VXI-11 のリンクを閉じました(応答を受け取りません)")};
inline constexpr Text LogVxi11LinkDroppedOnStop{
    QT_TRANSLATE_NOOP("texts", "%s の VXI-11 のリンクを閉じました")};
inline constexpr Text LogVxi11LinkDroppedBadInput{
    QT_TRANSLATE_NOOP("texts", "%s の VXI-11 のリンクを閉じました(不正なデータです)")};
inline constexpr Text LogRemoteClientDroppedBadInput{
    QT_TRANSLATE_NOOP("texts", "リモートのクライアント %s を切断しました(不正なデータです)")};
// Announcing the instrument on the local network (DNS-SD over mDNS); the instance name.
inline constexpr Text LogAnnounced{
    QT_TRANSLATE_NOOP("texts", "ネットワークに「%s」として公開しました")};
// The old instance name, then the new one.
inline constexpr Text LogAnnounceRenamed{QT_TRANSLATE_NOOP(
    "texts", "「%s」はネットワーク上で使われているため「%s」として公開し直します")};
inline constexpr Text LogAnnounceNoDaemon{
    QT_TRANSLATE_NOOP("texts", "Avahi デーモンが動いていないため、ネットワークには公開しません")};
// Why, as Avahi says it.
inline constexpr Text LogAnnounceFailed{
    QT_TRANSLATE_NOOP("texts", "ネットワークに公開できません(%s)")};
inline constexpr Text LogAnnounceWithdrawn{
    QT_TRANSLATE_NOOP("texts", "ネットワークへの公開を終えました")};
inline constexpr Text LogAnnounceNotOffered{
    QT_TRANSLATE_NOOP("texts", "このビルドではネットワークに公開できません")};

// --- HTTP server ---
// The client's address.
inline constexpr Text LogHttpClientConnected{
    QT_TRANSLATE_NOOP("texts", "HTTPのクライアント %s が接続しました")};
inline constexpr Text LogHttpClientDisconnected{
    QT_TRANSLATE_NOOP("texts", "HTTPのクライアント %s が切断しました")};
inline constexpr Text LogHttpClientRefusedFull{
    QT_TRANSLATE_NOOP("texts", "HTTPのクライアント %s を拒否しました(接続数が上限です)")};
inline constexpr Text LogHttpClientRefusedNotAllowed{QT_TRANSLATE_NOOP(
    "texts", "HTTPのクライアント %s を拒否しました(許可されていないアドレスです)")};
inline constexpr Text LogHttpClientDroppedNotReading{
    QT_TRANSLATE_NOOP("texts", "HTTPのクライアント %s を切断しました(イベントを受け取りません)")};
inline constexpr Text LogHttpClientDroppedOnStop{
    QT_TRANSLATE_NOOP("texts", "HTTPのクライアント %s を切断しました")};
// The address it listens on.
inline constexpr Text LogHttpStarted{
    QT_TRANSLATE_NOOP("texts", "HTTPサーバーを %s で開始しました")};
inline constexpr Text LogHttpStopped{QT_TRANSLATE_NOOP("texts", "HTTPサーバーを停止しました")};
// The address, then why.
inline constexpr Text LogHttpStartFailed{
    QT_TRANSLATE_NOOP("texts", "HTTPサーバーを %s で開始できません(%s)")};
inline constexpr Text LogHttpTokenFailed{
    QT_TRANSLATE_NOOP("texts", "HTTPのトークンを作成できません")};
// The key of section [HTTP] whose value could not be used.
inline constexpr Text LogHttpSettingBad{
    QT_TRANSLATE_NOOP("texts", "設定 [HTTP] %s の値が正しくないため既定値を使います")};
inline constexpr Text HttpRefusedRunning{
    QT_TRANSLATE_NOOP("texts", "シーケンスの実行中は変更できません")};
inline constexpr Text HttpEnabled{QT_TRANSLATE_NOOP("texts", "HTTPサーバーを有効にする")};
inline constexpr Text HttpListen{QT_TRANSLATE_NOOP("texts", "HTTPの待ち受けアドレス")};
inline constexpr Text HttpToken{QT_TRANSLATE_NOOP("texts", "HTTPのトークン")};
inline constexpr Text HttpState{QT_TRANSLATE_NOOP("texts", "HTTPの状態")};
inline constexpr Text A11yHttpEnabledHelp{
    QT_TRANSLATE_NOOP("texts", "ブラウザー、Prometheus、スクリプトからの接続を受け付けます")};
inline constexpr Text A11yHttpTokenHelp{
    QT_TRANSLATE_NOOP("texts", "設定を変える要求に必要なトークン(Authorization: Bearer)")};
// The live page in the browser: the connection's state, the output switch, the token kept
// by the browser, and the plot's span.
inline constexpr Text LiveDeviceConnected{QT_TRANSLATE_NOOP("texts", "デバイス接続中")};
inline constexpr Text LiveDeviceReconnecting{
    QT_TRANSLATE_NOOP("texts", "デバイスと切断されました　再接続中")};
inline constexpr Text LiveServerLost{
    QT_TRANSLATE_NOOP("texts", "サーバーと通信できません　再接続中")};
inline constexpr Text LiveOutputOn{QT_TRANSLATE_NOOP("texts", "出力 ON")};
inline constexpr Text LiveOutputOff{QT_TRANSLATE_NOOP("texts", "出力 OFF")};
inline constexpr Text LiveReadOnly{
    QT_TRANSLATE_NOOP("texts", "読み取り専用です。操作するにはトークンを入力してください")};
inline constexpr Text LiveTokenKeep{QT_TRANSLATE_NOOP("texts", "保存")};
inline constexpr Text LiveTokenForget{QT_TRANSLATE_NOOP("texts", "消去")};
inline constexpr Text LiveTokenRefused{QT_TRANSLATE_NOOP("texts", "トークンが正しくありません")};
inline constexpr Text LivePlotSpan{QT_TRANSLATE_NOOP("texts", "直近10分")};
inline constexpr Text LiveCounters{QT_TRANSLATE_NOOP("texts", "積算値")};

// --- MQTT ---
// The broker (host:port).
inline constexpr Text LogMqttConnected{
    QT_TRANSLATE_NOOP("texts", "MQTTブローカー %s に接続しました")};
// The broker, then why.
inline constexpr Text LogMqttLost{
    QT_TRANSLATE_NOOP("texts", "MQTTブローカー %s との接続が切れました(%s)。再接続します")};
inline constexpr Text LogMqttRefused{
    QT_TRANSLATE_NOOP("texts", "MQTTブローカー %s が接続を拒否しました(%s)")};
// The client id.
inline constexpr Text LogMqttTakenOver{QT_TRANSLATE_NOOP(
    "texts", "同じクライアントID %s の別のクライアントがMQTTの接続を引き継ぎました")};
// Why.
inline constexpr Text LogMqttStartFailed{QT_TRANSLATE_NOOP("texts", "MQTTを開始できません(%s)")};
inline constexpr Text LogMqttStopped{QT_TRANSLATE_NOOP("texts", "MQTTを停止しました")};
inline constexpr Text LogMqttControlInsecure{QT_TRANSLATE_NOOP(
    "texts", "MQTTからの制御が、匿名または暗号化されていないブローカーで有効になっています")};
// The command's topic.
inline constexpr Text LogMqttRetainedIgnored{
    QT_TRANSLATE_NOOP("texts", "保持されていたMQTTのコマンド %s を無視しました")};
// The command's topic, then why.
inline constexpr Text LogMqttCommandRefused{
    QT_TRANSLATE_NOOP("texts", "MQTTのコマンド %s を拒否しました(%s)")};
inline constexpr Text MqttRefusedControlOff{
    QT_TRANSLATE_NOOP("texts", "MQTTからの制御は許可されていません(Control=0)")};
inline constexpr Text LogMqttRemoved{
    QT_TRANSLATE_NOOP("texts", "MQTTブローカーからエンティティと状態を削除しました")};
inline constexpr Text LogMqttRemoveFailed{
    QT_TRANSLATE_NOOP("texts", "MQTTブローカーが削除を受け取りませんでした")};
// The key of section [MQTT] whose value could not be used.
inline constexpr Text LogMqttSettingBad{
    QT_TRANSLATE_NOOP("texts", "設定 [MQTT] %s の値が正しくないため既定値を使います")};
inline constexpr Text MqttEnabled{QT_TRANSLATE_NOOP("texts", "MQTTを有効にする")};
inline constexpr Text MqttBroker{QT_TRANSLATE_NOOP("texts", "MQTTブローカー")};
inline constexpr Text MqttNode{QT_TRANSLATE_NOOP("texts", "MQTTのノードID")};
inline constexpr Text MqttDiscovery{QT_TRANSLATE_NOOP("texts", "Home Assistantの自動検出")};
inline constexpr Text MqttControl{QT_TRANSLATE_NOOP("texts", "MQTTからの制御を許可する")};
inline constexpr Text MqttState{QT_TRANSLATE_NOOP("texts", "MQTTの状態")};
inline constexpr Text MqttStateConnected{QT_TRANSLATE_NOOP("texts", "接続中")};
inline constexpr Text MqttStateWaiting{QT_TRANSLATE_NOOP("texts", "接続待ち")};
inline constexpr Text MqttStateOff{QT_TRANSLATE_NOOP("texts", "停止中")};
inline constexpr Text A11yMqttEnabledHelp{
    QT_TRANSLATE_NOOP("texts", "状態とイベントをMQTTブローカーに送ります")};
inline constexpr Text A11yMqttBrokerHelp{
    QT_TRANSLATE_NOOP("texts", "mqtt://[ユーザー@]ホスト[:ポート] または mqtts://...")};
inline constexpr Text A11yMqttNodeHelp{QT_TRANSLATE_NOOP(
    "texts", "トピックに入るこの電源の名前(空欄: ホスト名とポート名から作ります)")};
inline constexpr Text A11yMqttDiscoveryHelp{
    QT_TRANSLATE_NOOP("texts", "Home Assistantがこの電源を自動的に見つけられるようにします")};
inline constexpr Text A11yMqttControlHelp{
    QT_TRANSLATE_NOOP("texts", "ブローカーからの出力と設定値の変更を受け付けます")};

// --- Measurement window ---
inline constexpr Text MenuMeasurement{QT_TRANSLATE_NOOP("texts", "計測ウィンドウ(&M)...")};
inline constexpr Text MeasurementCaption{QT_TRANSLATE_NOOP("texts", "計測")};
inline constexpr Text PageStatistics{QT_TRANSLATE_NOOP("texts", "統計")};
inline constexpr Text PageProtections{QT_TRANSLATE_NOOP("texts", "保護")};
inline constexpr Text StatCharge{QT_TRANSLATE_NOOP("texts", "積算電荷")};
inline constexpr Text StatEnergy{QT_TRANSLATE_NOOP("texts", "積算電力量")};
inline constexpr Text StatOutputOnTime{QT_TRANSLATE_NOOP("texts", "出力ON時間")};
inline constexpr Text StatMin{QT_TRANSLATE_NOOP("texts", "最小")};
inline constexpr Text StatMax{QT_TRANSLATE_NOOP("texts", "最大")};
inline constexpr Text StatMean{QT_TRANSLATE_NOOP("texts", "平均")};
inline constexpr Text StatVoltage{QT_TRANSLATE_NOOP("texts", "電圧")};
inline constexpr Text StatCurrent{QT_TRANSLATE_NOOP("texts", "電流")};
inline constexpr Text StatPower{QT_TRANSLATE_NOOP("texts", "電力")};
inline constexpr Text StatReset{QT_TRANSLATE_NOOP("texts", "リセット")};
inline constexpr Text ProtectionEnabled{QT_TRANSLATE_NOOP("texts", "有効")};
inline constexpr Text ProtectionLevel{QT_TRANSLATE_NOOP("texts", "レベル")};
inline constexpr Text ProtectionState{QT_TRANSLATE_NOOP("texts", "状態")};
inline constexpr Text ProtectionNormal{QT_TRANSLATE_NOOP("texts", "正常")};
inline constexpr Text ProtectionTripped{QT_TRANSLATE_NOOP("texts", "作動中")};
inline constexpr Text ProtectionClear{QT_TRANSLATE_NOOP("texts", "解除")};
inline constexpr Text ProtectionDelay{QT_TRANSLATE_NOOP("texts", "過電流保護の遅延")};
inline constexpr Text UnitSeconds{QT_TRANSLATE_NOOP("texts", "秒")};
inline constexpr Text SessionAutoReconnect{
    QT_TRANSLATE_NOOP("texts", "切断されたとき自動的に再接続する(2秒ごと)")};
inline constexpr Text ButtonApply{QT_TRANSLATE_NOOP("texts", "適用")};
inline constexpr Text PageRemote{QT_TRANSLATE_NOOP("texts", "リモート")};
inline constexpr Text RemoteEnabled{QT_TRANSLATE_NOOP("texts", "リモート制御を有効にする")};
inline constexpr Text RemoteListen{QT_TRANSLATE_NOOP("texts", "待ち受けアドレス")};
inline constexpr Text RemoteAllow{QT_TRANSLATE_NOOP("texts", "許可するネットワーク")};
inline constexpr Text RemoteAllowHint{
    QT_TRANSLATE_NOOP("texts", "空欄ですべて許可(例 192.168.1.0/24,10.0.0.7)")};
inline constexpr Text RemoteState{QT_TRANSLATE_NOOP("texts", "状態")};
inline constexpr Text RemoteListening{QT_TRANSLATE_NOOP("texts", "%s で待ち受け中")};
inline constexpr Text RemoteNotListening{QT_TRANSLATE_NOOP("texts", "停止中")};
inline constexpr Text RemoteClients{QT_TRANSLATE_NOOP("texts", "接続中のクライアント")};
inline constexpr Text LogRemoteListenRefused{
    QT_TRANSLATE_NOOP("texts", "待ち受けアドレスは ADDR:PORT で設定してください")};
inline constexpr Text LogRemoteAllowRefused{
    QT_TRANSLATE_NOOP("texts", "許可するネットワークは ADDR/N をカンマで区切って設定してください")};
inline constexpr Text RemoteVxi11{QT_TRANSLATE_NOOP("texts", "VXI-11 でも受け付ける")};
inline constexpr Text RemoteAnnounce{QT_TRANSLATE_NOOP("texts", "ネットワークに公開する(DNS-SD)")};
inline constexpr Text A11yRemoteVxi11Help{QT_TRANSLATE_NOOP(
    "texts", "TCPIP::ホスト::INSTR で開く計測ソフトウェアからの接続を受け付けます")};
inline constexpr Text A11yRemoteAnnounceHelp{QT_TRANSLATE_NOOP(
    "texts", "待ち受けアドレスがループバックでも、lxi discover などから見つけられるようにします")};

// --- Measurement window: history page ---
inline constexpr Text PageHistory{QT_TRANSLATE_NOOP("texts", "履歴")};
inline constexpr Text HistoryVoltage{QT_TRANSLATE_NOOP("texts", "電圧")};
inline constexpr Text HistoryCurrent{QT_TRANSLATE_NOOP("texts", "電流")};
inline constexpr Text HistoryPower{QT_TRANSLATE_NOOP("texts", "電力")};
inline constexpr Text HistoryFit{QT_TRANSLATE_NOOP("texts", "全体")};
inline constexpr Text HistoryLive{QT_TRANSLATE_NOOP("texts", "ライブ")};
inline constexpr Text HistoryCursors{QT_TRANSLATE_NOOP("texts", "カーソル")};
inline constexpr Text HistoryOpen{QT_TRANSLATE_NOOP("texts", "開く...")};
inline constexpr Text HistorySession{QT_TRANSLATE_NOOP("texts", "セッション")};
inline constexpr Text HistoryExport{QT_TRANSLATE_NOOP("texts", "書き出し...")};
inline constexpr Text HistoryExportLog{QT_TRANSLATE_NOOP("texts", "CSV(ログ形式)")};
inline constexpr Text HistoryExportIso{QT_TRANSLATE_NOOP("texts", "CSV(ISO 8601時刻)")};
inline constexpr Text HistoryExportPng{QT_TRANSLATE_NOOP("texts", "PNG画像")};
inline constexpr Text HistoryExportSvg{QT_TRANSLATE_NOOP("texts", "SVG画像")};
inline constexpr Text FilterPng{QT_TRANSLATE_NOOP("texts", "PNG(*.png)|*.png|全て(*.*)|*.*||")};
inline constexpr Text FilterSvg{QT_TRANSLATE_NOOP("texts", "SVG(*.svg)|*.svg|全て(*.*)|*.*||")};
inline constexpr Text HistorySourceSession{QT_TRANSLATE_NOOP("texts", "セッションの履歴")};
// The file's name, then what reading it found.
inline constexpr Text HistorySourceFile{QT_TRANSLATE_NOOP("texts", "ファイル %s")};
inline constexpr Text HistoryNoReading{QT_TRANSLATE_NOOP("texts", "-")};
inline constexpr Text HistoryHelp{QT_TRANSLATE_NOOP(
    "texts", "ホイール:時間の拡大縮小　Ctrl+ホイール:値の拡大縮小　ドラッグ:移動　"
             "Shift+ドラッグ/右ドラッグ:範囲を拡大")};
// Readings taken and lines passed over, with the first line numbers.
inline constexpr Text HistoryFileRead{QT_TRANSLATE_NOOP("texts", "%zu 件の測定値を読み込みました")};
inline constexpr Text HistoryFileDamaged{
    QT_TRANSLATE_NOOP("texts", "読み込めない行が %zu 行ありました(%s 行目)")};
inline constexpr Text HistoryFileClockBack{QT_TRANSLATE_NOOP(
    "texts", "時刻が戻った行が %zu 行ありました(最初は %zu 行目)。間隔をあけて続けて表示します")};
inline constexpr Text HistoryFileDropped{
    QT_TRANSLATE_NOOP("texts", "古い %llu 件は保持できる件数を超えるため表示しません")};
inline constexpr Text HistoryFileOpenFailed{QT_TRANSLATE_NOOP("texts", "ファイル %s を開けません")};
inline constexpr Text HistoryFileEmpty{QT_TRANSLATE_NOOP("texts", "ファイル %s は空です")};
inline constexpr Text HistoryFileBinary{
    QT_TRANSLATE_NOOP("texts", "ファイル %s は測定ログ(CSV)ではありません")};
inline constexpr Text HistoryFileNothingReadable{
    QT_TRANSLATE_NOOP("texts", "ファイル %s には読み込める測定値がありません")};
inline constexpr Text HistoryExported{QT_TRANSLATE_NOOP("texts", "履歴を %s に書き出しました")};
inline constexpr Text HistoryExportFailed{QT_TRANSLATE_NOOP("texts", "履歴を %s に書き出せません")};
inline constexpr Text HistoryExportNothing{
    QT_TRANSLATE_NOOP("texts", "表示範囲に測定値がありません")};
// A reading under the pointer or a cursor: its time, volts, amperes, watts and state.
inline constexpr Text HistoryReading{QT_TRANSLATE_NOOP("texts", "%s　%.2f V　%.3f A　%.3f W　%s")};
// Between the cursors: time, changes, means, charge and energy.
inline constexpr Text HistoryBetween{QT_TRANSLATE_NOOP(
    "texts",
    "Δt %.1f 秒　ΔV %s　ΔI %s　平均 %.2f V / %.3f A / %.3f W　電荷 %.3f mAh　電力量 %.4f Wh")};
// Log lines.
inline constexpr Text LogHistoryFileOpened{
    QT_TRANSLATE_NOOP("texts", "履歴ファイル %s を開きました")};
// The forms for a count of exactly 1, the Japanese as the general form shows it.
inline constexpr Text HistoryFileReadOne{
    QT_TRANSLATE_NOOP("texts", "1 件の測定値を読み込みました")};
inline constexpr Text HistoryFileDamagedOne{
    QT_TRANSLATE_NOOP("texts", "読み込めない行が 1 行ありました(%s 行目)")};
inline constexpr Text HistoryFileClockBackOne{QT_TRANSLATE_NOOP(
    "texts", "時刻が戻った行が 1 行ありました(%zu 行目)。間隔をあけて続けて表示します")};
// Before a chosen file is written: the file's name. Used by the history's export and the
// sequence page's save.
inline constexpr Text FileReplaceQuestion{
    QT_TRANSLATE_NOOP("texts", "%s は既にあります。置き換えますか?")};
inline constexpr Text FileNotReplaceable{QT_TRANSLATE_NOOP(
    "texts", "%s には書き込めません(通常のファイルではないか、読み取り専用です)")};

// --- What a screen reader says of the controls: names of controls without a text of their
// own, and what each control does ---
inline constexpr Text A11yDeriveCurrent{QT_TRANSLATE_NOOP("texts", "電流を電力容量から求める")};
inline constexpr Text A11yDeriveCurrentHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、電圧をセットするとき電流を電力容量÷電圧にします")};
inline constexpr Text A11yDeriveVoltage{QT_TRANSLATE_NOOP("texts", "電圧を電力容量から求める")};
inline constexpr Text A11yDeriveVoltageHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、電流をセットするとき電圧を電力容量÷電流にします")};
inline constexpr Text A11yVoltageEdit{QT_TRANSLATE_NOOP("texts", "出力電圧の設定値(V)")};
inline constexpr Text A11yVoltageEditHelp{
    QT_TRANSLATE_NOOP("texts", "0～20V、上下キーで変わります")};
inline constexpr Text A11yCurrentEdit{QT_TRANSLATE_NOOP("texts", "電流制限の設定値(A)")};
inline constexpr Text A11yCurrentEditHelp{
    QT_TRANSLATE_NOOP("texts", "0～1A、上下キーで変わります")};
inline constexpr Text A11ySetVoltage{QT_TRANSLATE_NOOP("texts", "電圧をセット")};
inline constexpr Text A11ySetCurrent{QT_TRANSLATE_NOOP("texts", "電流をセット")};
inline constexpr Text A11ySetHelp{
    QT_TRANSLATE_NOOP("texts", "入力した値を確かめてデバイスに送ります")};
inline constexpr Text A11yOutputButton{QT_TRANSLATE_NOOP("texts", "出力のON/OFF")};
inline constexpr Text A11yOutputButtonHelp{
    QT_TRANSLATE_NOOP("texts", "デバイスの出力を切り替えます")};
inline constexpr Text A11yLogButtonHelp{
    QT_TRANSLATE_NOOP("texts", "CSVの測定ログを開始または停止します")};
inline constexpr Text A11yConnectButtonHelp{
    QT_TRANSLATE_NOOP("texts", "設定のポートのデバイスに接続、または切断します")};
inline constexpr Text A11ySettingsButtonHelp{
    QT_TRANSLATE_NOOP("texts", "ポート、履歴、システムログの設定を開きます")};
inline constexpr Text A11yLogPaneHelp{QT_TRANSLATE_NOOP("texts", "操作とデバイスの出来事の記録")};
inline constexpr Text A11yPortListHelp{
    QT_TRANSLATE_NOOP("texts", "デバイスのポート:comN、またはデバイスのパス")};
inline constexpr Text A11yScanHelp{QT_TRANSLATE_NOOP("texts", "com1～com32でデバイスを探します")};
inline constexpr Text A11yConnectAtStartHelp{
    QT_TRANSLATE_NOOP("texts", "起動したときデバイスに接続します")};
inline constexpr Text A11ySpanHelp{QT_TRANSLATE_NOOP("texts", "出力の履歴に表示する時間")};
inline constexpr Text A11yUseSysLogFileHelp{
    QT_TRANSLATE_NOOP("texts", "システムログをファイルにも書きます")};
inline constexpr Text A11ySysLogFileHelp{
    QT_TRANSLATE_NOOP("texts", "システムログのファイル名:相対名は設定と同じフォルダ")};
inline constexpr Text A11yBrowseFileHelp{QT_TRANSLATE_NOOP("texts", "ファイルを選びます")};
inline constexpr Text A11yOffsetAttHelp{
    QT_TRANSLATE_NOOP("texts", "測定電流から分圧器に流れる電流を差し引きます")};
inline constexpr Text A11yOkHelp{QT_TRANSLATE_NOOP("texts", "設定を保存して閉じます")};
inline constexpr Text A11yCloseHelp{QT_TRANSLATE_NOOP("texts", "何もせずに閉じます")};
inline constexpr Text A11yAboutOkHelp{QT_TRANSLATE_NOOP("texts", "ダイアログを閉じます")};
inline constexpr Text A11yFirmwarePortHelp{
    QT_TRANSLATE_NOOP("texts", "ブートローダーのポート(設定のポート)")};
inline constexpr Text A11yFirmwareFileHelp{
    QT_TRANSLATE_NOOP("texts", "書き込むファームウェアのHEXファイル")};
inline constexpr Text A11yUpdateHelp{
    QT_TRANSLATE_NOOP("texts", "デバイスのファームウェアを書き換えます")};
inline constexpr Text A11yFolderHelp{QT_TRANSLATE_NOOP("texts", "ログを保存するフォルダ")};
inline constexpr Text A11yFilesHelp{QT_TRANSLATE_NOOP("texts", "フォルダの中のファイル")};
inline constexpr Text A11yFileNameHelp{QT_TRANSLATE_NOOP("texts", "ログのファイル名")};
inline constexpr Text A11yFileTypeHelp{QT_TRANSLATE_NOOP("texts", "表示するファイルの種類")};
inline constexpr Text A11ySaveLogHelp{QT_TRANSLATE_NOOP("texts", "このファイルにログを書きます")};
inline constexpr Text A11yIntervalHelp{QT_TRANSLATE_NOOP("texts", "測定値を書く間隔")};
inline constexpr Text A11yAppendHelp{
    QT_TRANSLATE_NOOP("texts", "既存のファイルを空にせず、後ろに書き足します")};
inline constexpr Text A11yPagesHelp{QT_TRANSLATE_NOOP("texts", "計測ウィンドウのページ")};
inline constexpr Text A11yStatisticHelp{QT_TRANSLATE_NOOP("texts", "接続してからリセットまでの値")};
inline constexpr Text A11yResetCountersHelp{
    QT_TRANSLATE_NOOP("texts", "積算値と統計を0からやり直します")};
inline constexpr Text A11yProtectionEnabledHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、レベルを超えたとき出力をOFFします")};
inline constexpr Text A11yProtectionLevelHelp{
    QT_TRANSLATE_NOOP("texts", "この値を超えると保護が作動します")};
inline constexpr Text A11yProtectionClearHelp{
    QT_TRANSLATE_NOOP("texts", "作動した保護を解除します")};
inline constexpr Text A11yProtectionDelayHelp{
    QT_TRANSLATE_NOOP("texts", "過電流が続いてから作動するまでの秒数")};
inline constexpr Text A11yAutoReconnectHelp{
    QT_TRANSLATE_NOOP("texts", "失ったデバイスに2秒ごとに接続し直します")};
inline constexpr Text A11yApplyHelp{
    QT_TRANSLATE_NOOP("texts", "このページの設定を使い、保存します")};
inline constexpr Text A11yTraceHelp{QT_TRANSLATE_NOOP("texts", "この値を履歴に表示します")};
inline constexpr Text A11yCursorsHelp{
    QT_TRANSLATE_NOOP("texts", "2本のカーソルとその間の値を表示します")};
inline constexpr Text A11yFitHelp{QT_TRANSLATE_NOOP("texts", "履歴全体を表示します")};
inline constexpr Text A11yLiveHelp{QT_TRANSLATE_NOOP("texts", "最新の測定値を追って表示します")};
inline constexpr Text A11yOpenHelp{QT_TRANSLATE_NOOP("texts", "CSVの測定ログを開いて表示します")};
inline constexpr Text A11ySessionHelp{QT_TRANSLATE_NOOP("texts", "このセッションの履歴に戻ります")};
inline constexpr Text A11yExportFormHelp{QT_TRANSLATE_NOOP("texts", "書き出しの形式")};
inline constexpr Text A11yExportHelp{QT_TRANSLATE_NOOP("texts", "表示中の範囲を書き出します")};
inline constexpr Text A11ySourceHelp{QT_TRANSLATE_NOOP("texts", "表示中の履歴の出どころ")};
inline constexpr Text A11yPlot{QT_TRANSLATE_NOOP("texts", "履歴のグラフ")};
inline constexpr Text A11yPlotHelp{
    QT_TRANSLATE_NOOP("texts", "電圧、電流、電力の時間変化。ホイールで拡大縮小、ドラッグで移動")};
inline constexpr Text A11yHoverReadout{QT_TRANSLATE_NOOP("texts", "ポインタ位置の測定値")};
inline constexpr Text A11yCursorA{QT_TRANSLATE_NOOP("texts", "カーソルAの測定値")};
inline constexpr Text A11yCursorB{QT_TRANSLATE_NOOP("texts", "カーソルBの測定値")};
inline constexpr Text A11yBetweenCursors{QT_TRANSLATE_NOOP("texts", "カーソル間の値")};
inline constexpr Text A11yReadoutHelp{QT_TRANSLATE_NOOP("texts", "時刻、電圧、電流、電力")};
inline constexpr Text A11yRemoteEnabledHelp{
    QT_TRANSLATE_NOOP("texts", "TCPのSCPI機器としてデバイスを提供します")};
inline constexpr Text A11yRemoteListenHelp{
    QT_TRANSLATE_NOOP("texts", "待ち受けるアドレスとポート(ADDR:PORT)")};
inline constexpr Text A11yRemoteClientsHelp{
    QT_TRANSLATE_NOOP("texts", "接続中のクライアントのアドレス")};
inline constexpr Text A11yStatisticsPageHelp{
    QT_TRANSLATE_NOOP("texts", "積算電荷、電力量、出力ON時間と、電圧、電流、電力の統計")};
inline constexpr Text A11yProtectionsPageHelp{
    QT_TRANSLATE_NOOP("texts", "出力をOFFにする保護と自動再接続")};
inline constexpr Text A11yHistoryPageHelp{
    QT_TRANSLATE_NOOP("texts", "セッションまたはログファイルの測定値のグラフ")};
inline constexpr Text A11yRemotePageHelp{QT_TRANSLATE_NOOP("texts", "SCPIのリモート制御")};

// --- Sequences and charge profiles ---
inline constexpr Text PageSequence{QT_TRANSLATE_NOOP("texts", "シーケンス")};
inline constexpr Text A11ySequencePageHelp{
    QT_TRANSLATE_NOOP("texts", "ステップのリストと充電プロファイルの実行")};
// Lines of a sequence file that cannot be used: the line number, then what is wrong.
inline constexpr Text SequenceFileLine{QT_TRANSLATE_NOOP("texts", "%zu 行目: %s")};
inline constexpr Text SequenceFileNoHeader{
    QT_TRANSLATE_NOOP("texts", "見出し行 volts,amps,seconds,ramp がありません")};
inline constexpr Text SequenceFileFieldCount{
    QT_TRANSLATE_NOOP("texts", "値の数が正しくありません")};
inline constexpr Text SequenceFileVolts{
    QT_TRANSLATE_NOOP("texts", "電圧は0～20の数値で指定してください")};
inline constexpr Text SequenceFileAmps{
    QT_TRANSLATE_NOOP("texts", "電流は0～1の数値で指定してください")};
inline constexpr Text SequenceFileSeconds{
    QT_TRANSLATE_NOOP("texts", "時間は0.1～1000000の数値(秒)で指定してください")};
inline constexpr Text SequenceFileRamp{
    QT_TRANSLATE_NOOP("texts", "ランプは step または linear で指定してください")};
inline constexpr Text SequenceFileNoSteps{QT_TRANSLATE_NOOP("texts", "ステップがありません")};
inline constexpr Text SequenceFileTooManySteps{
    QT_TRANSLATE_NOOP("texts", "ステップは10000個までです")};
inline constexpr Text SequenceFileTooLarge{QT_TRANSLATE_NOOP("texts", "ファイルが大きすぎます")};
inline constexpr Text SequenceFileCannotOpen{QT_TRANSLATE_NOOP("texts", "ファイルを開けません")};
inline constexpr Text SequenceFileMore{QT_TRANSLATE_NOOP("texts", "ほか %zu 箇所")};
// The file's name, then the problems.
inline constexpr Text SequenceFileRefused{
    QT_TRANSLATE_NOOP("texts", "シーケンスファイル %s を読み込めません")};
inline constexpr Text SequenceFileLoaded{
    QT_TRANSLATE_NOOP("texts", "シーケンスファイル %s を読み込みました")};
inline constexpr Text SequenceFileSaved{
    QT_TRANSLATE_NOOP("texts", "シーケンスファイル %s に保存しました")};
inline constexpr Text SequenceFileSaveFailed{
    QT_TRANSLATE_NOOP("texts", "シーケンスファイル %s に保存できません")};
inline constexpr Text FilterSequence{
    QT_TRANSLATE_NOOP("texts", "CSV(*.csv)|*.csv|全て(*.*)|*.*||")};
inline constexpr Text SequenceSaveEmptyQuestion{
    QT_TRANSLATE_NOOP("texts", "ステップがありません。見出しだけのファイルを保存しますか?")};
// Why a sequence does not start; nothing was sent.
inline constexpr Text SequenceRefusedStep{
    QT_TRANSLATE_NOOP("texts", "ステップ %d は設定できません: %s")};
// The step, the time into it, the point's volts and amperes, the rule's message.
inline constexpr Text SequenceRefusedRampPoint{
    QT_TRANSLATE_NOOP("texts", "ステップ %d の %.2f 秒の点 %.2fV/%.3fA は設定できません: %s")};
inline constexpr Text SequenceRefusedDuration{
    QT_TRANSLATE_NOOP("texts", "ステップ %d の時間は0.1～1000000秒で指定してください")};
inline constexpr Text SequenceRefusedNoSteps{QT_TRANSLATE_NOOP("texts", "ステップがありません")};
inline constexpr Text SequenceRefusedTooManySteps{
    QT_TRANSLATE_NOOP("texts", "ステップは10000個までです")};
inline constexpr Text SequenceRefusedRepeat{
    QT_TRANSLATE_NOOP("texts", "繰り返し回数は1～1000000回で指定してください")};
inline constexpr Text SequenceRefusedStop{
    QT_TRANSLATE_NOOP("texts", "停止条件の値が正しくありません")};
inline constexpr Text SequenceRefusedNotConnected{
    QT_TRANSLATE_NOOP("texts", "デバイスが接続されていないためシーケンスを開始できません")};
inline constexpr Text SequenceRefusedRunning{
    QT_TRANSLATE_NOOP("texts", "シーケンスの実行中は開始できません")};
// Steps and repeats ("無限" for endless).
inline constexpr Text SequenceStarted{
    QT_TRANSLATE_NOOP("texts", "シーケンスを開始しました(%zu ステップ　繰り返し %s)")};
inline constexpr Text SequenceEndless{QT_TRANSLATE_NOOP("texts", "無限")};
inline constexpr Text SequencePaused{QT_TRANSLATE_NOOP("texts", "シーケンスを一時停止しました")};
inline constexpr Text SequenceResumed{QT_TRANSLATE_NOOP("texts", "シーケンスを再開しました")};
inline constexpr Text SequenceCompleted{QT_TRANSLATE_NOOP("texts", "シーケンスが完了しました")};
inline constexpr Text SequenceAborted{QT_TRANSLATE_NOOP("texts", "シーケンスを中止しました")};
inline constexpr Text SequenceStopCurrent{QT_TRANSLATE_NOOP(
    "texts", "電流が %.3fA 未満のまま %g 秒経過したためシーケンスを終了しました")};
inline constexpr Text SequenceStopVoltage{
    QT_TRANSLATE_NOOP("texts", "電圧が %.2fV を超えたためシーケンスを終了しました")};
inline constexpr Text SequenceStopElapsed{
    QT_TRANSLATE_NOOP("texts", "経過時間が %s に達したためシーケンスを終了しました")};
inline constexpr Text SequenceStopCharge{
    QT_TRANSLATE_NOOP("texts", "電荷が %sAh を超えたためシーケンスを終了しました")};
inline constexpr Text SequenceDeviceLost{
    QT_TRANSLATE_NOOP("texts", "デバイスと切断されたためシーケンスを中止しました")};
inline constexpr Text SequenceDeviceFailed{
    QT_TRANSLATE_NOOP("texts", "設定値を送信できないためシーケンスを中止しました")};
inline constexpr Text SequenceTripped{
    QT_TRANSLATE_NOOP("texts", "保護が作動したためシーケンスを中止しました")};
inline constexpr Text SequenceWindowClosed{
    QT_TRANSLATE_NOOP("texts", "ウィンドウを閉じたためシーケンスを中止しました")};
inline constexpr Text SequenceOutputOn{
    QT_TRANSLATE_NOOP("texts", "シーケンスの開始で出力をONしました")};
inline constexpr Text SequenceOutputOff{
    QT_TRANSLATE_NOOP("texts", "シーケンスの終了で出力をOFFしました")};
// The device's answer to the switch-off.
inline constexpr Text SequenceOutputOffFailed{
    QT_TRANSLATE_NOOP("texts", "シーケンスの終了で出力をOFFできません(%s)")};
// Charge profiles: refusals of their parameters.
inline constexpr Text ChargeCellsRefused{
    QT_TRANSLATE_NOOP("texts", "セル数は1～%dで指定してください")};
inline constexpr Text ChargeCapacityRefused{
    QT_TRANSLATE_NOOP("texts", "容量は10～100000mAhで指定してください")};
inline constexpr Text ChargeRateRefused{
    QT_TRANSLATE_NOOP("texts", "充電レートは0.01～10Cで指定してください")};
inline constexpr Text ChargeCurrentRefused{
    QT_TRANSLATE_NOOP("texts", "充電電流 %.3fA は0.001～1Aの範囲外です")};
inline constexpr Text ChargeTerminationRefused{
    QT_TRANSLATE_NOOP("texts", "終止電流は0.001A以上で充電電流より小さくしてください")};
inline constexpr Text ChargeMaxTimeRefused{
    QT_TRANSLATE_NOOP("texts", "最大時間は60～604800秒で指定してください")};
// The chemistry, cells, volts and amperes.
inline constexpr Text ChargeStarted{
    QT_TRANSLATE_NOOP("texts", "充電を開始しました(%s　%dセル　%.2fV/%.3fA)")};
// Why it ended, charge, energy, time.
inline constexpr Text ChargeSummary{
    QT_TRANSLATE_NOOP("texts", "充電を終了しました(%s　電荷 %.1fmAh　電力量 %.3fWh　時間 %s)")};
inline constexpr Text ChargeEndTermination{QT_TRANSLATE_NOOP("texts", "終止電流に到達")};
inline constexpr Text ChargeEndMaxTime{QT_TRANSLATE_NOOP("texts", "最大時間に到達")};
inline constexpr Text ChargeEndCharge{QT_TRANSLATE_NOOP("texts", "充電量に到達")};
inline constexpr Text ChargeEndAborted{QT_TRANSLATE_NOOP("texts", "中止")};
inline constexpr Text ChargeEndDeviceLost{QT_TRANSLATE_NOOP("texts", "デバイス切断")};
inline constexpr Text ChargeEndDeviceFailed{QT_TRANSLATE_NOOP("texts", "送信エラー")};
inline constexpr Text ChargeEndTripped{QT_TRANSLATE_NOOP("texts", "保護作動")};
inline constexpr Text ChargeEndWindowClosed{QT_TRANSLATE_NOOP("texts", "ウィンドウを閉じた")};
inline constexpr Text ChargeEndVoltage{QT_TRANSLATE_NOOP("texts", "電圧上限")};
// A change of the power source whose capacity refuses a point still to come of a run.
inline constexpr Text SequenceSourceRefused{QT_TRANSLATE_NOOP(
    "texts", "給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました")};
inline constexpr Text ChargeEndSourceRefused{QT_TRANSLATE_NOOP("texts", "給電元の変化")};
// A charge whose current lies outside the device's range, named by what the operator gave:
// the capacity, the rate, and the largest capacity at that rate; or the capacity and the
// smallest rate that gives the 0.002 A a lithium charge needs.
inline constexpr Text ChargeCapacityTooLarge{QT_TRANSLATE_NOOP(
    "texts", "容量 %gmAh は充電レート %gC では充電電流が1Aを超えます(%gmAhまで)")};
inline constexpr Text ChargeRateTooSmallForCapacity{QT_TRANSLATE_NOOP(
    "texts", "容量 %gmAh では充電電流が0.002A未満です。充電レートは %gC 以上で指定してください")};
// A sequence whose output could not be switched on at its start.
inline constexpr Text SequenceOutputOnFailed{
    QT_TRANSLATE_NOOP("texts", "出力をONできないためシーケンスを中止しました")};
// The forms for a count of exactly 1, the Japanese as the general form shows it, so that
// English can say it in the singular.
inline constexpr Text SequenceStartedOneStep{
    QT_TRANSLATE_NOOP("texts", "シーケンスを開始しました(1 ステップ　繰り返し %s)")};
inline constexpr Text ChargeStartedOneCell{
    QT_TRANSLATE_NOOP("texts", "充電を開始しました(%s　1セル　%.2fV/%.3fA)")};
// The sequence page.
inline constexpr Text SequenceColumnVolts{QT_TRANSLATE_NOOP("texts", "電圧[V]")};
inline constexpr Text SequenceColumnAmps{QT_TRANSLATE_NOOP("texts", "電流[A]")};
inline constexpr Text SequenceColumnSeconds{QT_TRANSLATE_NOOP("texts", "時間[秒]")};
inline constexpr Text SequenceColumnLinear{QT_TRANSLATE_NOOP("texts", "直線ランプ")};
inline constexpr Text SequenceAdd{QT_TRANSLATE_NOOP("texts", "追加")};
inline constexpr Text SequenceRemove{QT_TRANSLATE_NOOP("texts", "削除")};
inline constexpr Text SequenceUp{QT_TRANSLATE_NOOP("texts", "上へ")};
inline constexpr Text SequenceDown{QT_TRANSLATE_NOOP("texts", "下へ")};
inline constexpr Text SequenceLoad{QT_TRANSLATE_NOOP("texts", "読み込み...")};
inline constexpr Text SequenceSave{QT_TRANSLATE_NOOP("texts", "保存...")};
inline constexpr Text SequenceRepeat{QT_TRANSLATE_NOOP("texts", "繰り返し")};
inline constexpr Text SequenceTimes{QT_TRANSLATE_NOOP("texts", "回")};
inline constexpr Text SequenceRepeatEndless{QT_TRANSLATE_NOOP("texts", "無限")};
inline constexpr Text SequenceGroupStops{QT_TRANSLATE_NOOP("texts", "停止条件")};
inline constexpr Text SequenceConditionBelow{QT_TRANSLATE_NOOP("texts", "電流が")};
inline constexpr Text SequenceConditionBelowFor{QT_TRANSLATE_NOOP("texts", "A 未満のまま")};
inline constexpr Text SequenceConditionBelowEnd{QT_TRANSLATE_NOOP("texts", "秒続いたら終了")};
inline constexpr Text SequenceConditionAbove{QT_TRANSLATE_NOOP("texts", "電圧が")};
inline constexpr Text SequenceConditionAboveEnd{QT_TRANSLATE_NOOP("texts", "V を超えたら終了")};
inline constexpr Text SequenceConditionAfter{QT_TRANSLATE_NOOP("texts", "経過時間")};
inline constexpr Text SequenceConditionAfterEnd{QT_TRANSLATE_NOOP("texts", "秒で終了")};
inline constexpr Text SequenceConditionCharge{QT_TRANSLATE_NOOP("texts", "電荷が")};
inline constexpr Text SequenceConditionChargeEnd{QT_TRANSLATE_NOOP("texts", "Ah を超えたら終了")};
inline constexpr Text SequenceOutputOnAtStart{QT_TRANSLATE_NOOP("texts", "開始時に出力をONする")};
inline constexpr Text SequenceKeepOutputAtEnd{
    QT_TRANSLATE_NOOP("texts", "終了後も出力をONのままにする")};
inline constexpr Text SequenceStart{QT_TRANSLATE_NOOP("texts", "開始")};
inline constexpr Text SequencePause{QT_TRANSLATE_NOOP("texts", "一時停止")};
inline constexpr Text SequenceResume{QT_TRANSLATE_NOOP("texts", "再開")};
inline constexpr Text SequenceAbort{QT_TRANSLATE_NOOP("texts", "中止")};
inline constexpr Text SequenceIdle{QT_TRANSLATE_NOOP("texts", "停止中")};
// The step, the number of steps, the round ("2/3", "4/無限") and the time left in the step.
inline constexpr Text SequenceRunning{
    QT_TRANSLATE_NOOP("texts", "ステップ %d/%zu　繰り返し %s　残り %s")};
inline constexpr Text SequencePausedState{
    QT_TRANSLATE_NOOP("texts", "一時停止中　ステップ %d/%zu　繰り返し %s　残り %s")};
// The step and what is wrong with one of its cells.
inline constexpr Text SequenceCellRefused{QT_TRANSLATE_NOOP("texts", "ステップ %d: %s")};
inline constexpr Text SequenceCloseRunning{
    QT_TRANSLATE_NOOP("texts", "シーケンスを実行中です。中止してウィンドウを閉じますか?")};
// The capacity of the present source, on the preview's limit line.
inline constexpr Text SequencePreviewLimit{QT_TRANSLATE_NOOP("texts", "上限 %.1fW")};
inline constexpr Text SequenceGroupCharge{QT_TRANSLATE_NOOP("texts", "充電プロファイル")};
inline constexpr Text ChargeChemistry{QT_TRANSLATE_NOOP("texts", "種類")};
inline constexpr Text ChargeCells{QT_TRANSLATE_NOOP("texts", "セル数")};
inline constexpr Text ChargeCapacity{QT_TRANSLATE_NOOP("texts", "容量[mAh]")};
inline constexpr Text ChargeRate{QT_TRANSLATE_NOOP("texts", "充電レート[C]")};
inline constexpr Text ChargeTermination{QT_TRANSLATE_NOOP("texts", "終止電流[A]")};
inline constexpr Text ChargeMaxTime{QT_TRANSLATE_NOOP("texts", "最大時間[秒]")};
inline constexpr Text ChargeDefault{QT_TRANSLATE_NOOP("texts", "既定")};
inline constexpr Text ChargeStart{QT_TRANSLATE_NOOP("texts", "充電開始")};

// What the sequence page's controls are for, read out to the operator.
inline constexpr Text A11ySequenceStepsName{QT_TRANSLATE_NOOP("texts", "ステップのリスト")};
inline constexpr Text A11ySequenceStepsHelp{
    QT_TRANSLATE_NOOP("texts", "各ステップの電圧、電流、時間、直線ランプ。ダブルクリックで編集")};
inline constexpr Text A11ySequenceAddHelp{QT_TRANSLATE_NOOP("texts", "ステップを追加します")};
inline constexpr Text A11ySequenceRemoveHelp{
    QT_TRANSLATE_NOOP("texts", "選んだステップを削除します")};
inline constexpr Text A11ySequenceUpHelp{
    QT_TRANSLATE_NOOP("texts", "選んだステップを一つ前に移します")};
inline constexpr Text A11ySequenceDownHelp{
    QT_TRANSLATE_NOOP("texts", "選んだステップを一つ後ろに移します")};
inline constexpr Text A11ySequenceLoadHelp{
    QT_TRANSLATE_NOOP("texts", "CSVのシーケンスファイルからステップを読み込みます")};
inline constexpr Text A11ySequenceSaveHelp{
    QT_TRANSLATE_NOOP("texts", "ステップをCSVのシーケンスファイルに保存します")};
inline constexpr Text A11yStopBelowHelp{QT_TRANSLATE_NOOP(
    "texts", "チェックすると、電流がレベル未満のまま続いたらシーケンスを終了します")};
inline constexpr Text A11yStopBelowAmpsHelp{QT_TRANSLATE_NOOP("texts", "電流のレベル(A)")};
inline constexpr Text A11yStopBelowSecondsHelp{
    QT_TRANSLATE_NOOP("texts", "電流がレベル未満のまま続く秒数")};
inline constexpr Text A11yStopAboveHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、電圧がレベルを超えたらシーケンスを終了します")};
inline constexpr Text A11yStopAboveVoltsHelp{QT_TRANSLATE_NOOP("texts", "電圧のレベル(V)")};
inline constexpr Text A11yStopAfterHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、開始からこの時間でシーケンスを終了します")};
inline constexpr Text A11yStopAfterSecondsHelp{QT_TRANSLATE_NOOP("texts", "開始からの秒数")};
inline constexpr Text A11yStopChargeHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、電荷がレベルを超えたらシーケンスを終了します")};
inline constexpr Text A11yStopChargeAhHelp{QT_TRANSLATE_NOOP("texts", "電荷のレベル(Ah)")};
inline constexpr Text A11yRepeatHelp{QT_TRANSLATE_NOOP("texts", "ステップのリストを実行する回数")};
inline constexpr Text A11yRepeatEndlessHelp{
    QT_TRANSLATE_NOOP("texts", "チェックすると、中止するまで繰り返します")};
inline constexpr Text A11yOutputOnAtStartHelp{
    QT_TRANSLATE_NOOP("texts", "シーケンスの開始で出力をONにします")};
inline constexpr Text A11yKeepOutputAtEndHelp{
    QT_TRANSLATE_NOOP("texts", "チェックしないと、シーケンスの終了で出力をOFFにします")};
inline constexpr Text A11ySequenceStartHelp{
    QT_TRANSLATE_NOOP("texts", "ステップを確かめてシーケンスを開始します")};
inline constexpr Text A11ySequencePauseHelp{
    QT_TRANSLATE_NOOP("texts", "シーケンスを一時停止、または再開します")};
inline constexpr Text A11ySequenceAbortHelp{QT_TRANSLATE_NOOP("texts", "シーケンスを中止します")};
inline constexpr Text A11yChemistryHelp{QT_TRANSLATE_NOOP("texts", "充電する電池の種類")};
inline constexpr Text A11yCellsHelp{QT_TRANSLATE_NOOP("texts", "直列につないだセルの数")};
inline constexpr Text A11yCapacityHelp{QT_TRANSLATE_NOOP("texts", "電池の容量(mAh)")};
inline constexpr Text A11yRateHelp{
    QT_TRANSLATE_NOOP("texts", "充電電流を容量の倍数で。空欄は既定値")};
inline constexpr Text A11yTerminationHelp{
    QT_TRANSLATE_NOOP("texts", "充電を終える電流(A)。空欄は既定値")};
inline constexpr Text A11yMaxTimeHelp{
    QT_TRANSLATE_NOOP("texts", "充電を打ち切る時間(秒)。空欄は既定値")};
inline constexpr Text A11yStartChargeHelp{
    QT_TRANSLATE_NOOP("texts", "充電プロファイルを確かめて充電を開始します")};

} // namespace texts
