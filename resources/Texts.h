#pragma once

// Every text the windows, message boxes and logs show, in UTF-8. The system-log file gets
// them converted to cp932 on the way out. A gap written as "　" is the ideographic space.
namespace texts {

// --- System log messages ---
inline constexpr const char* LogStarted = "制御ソフト起動しました";
inline constexpr const char* LogClosing = "制御ソフト終了します";
inline constexpr const char* LogConnected = "デバイス %s/FW%s を接続しました";
inline constexpr const char* LogConnectFailed = "デバイス %s を接続できません";
inline constexpr const char* LogDisconnected = "デバイスを切断しました";
inline constexpr const char* LogDeviceLost = "デバイスと切断されました";
inline constexpr const char* LogOutputOnAtDevice = "出力をONしました";
inline constexpr const char* LogOutputOffAtDevice = "出力をOFFしました";
inline constexpr const char* LogSourceUsbHost = "USBホスト給電中";
inline constexpr const char* LogSourceAdapter = "アダプタ給電中";
inline constexpr const char* LogSourceAdapterIdle = "アダプタ接続　未給電中";
inline constexpr const char* LogOutputOnByOperator = "出力を ON しました";
inline constexpr const char* LogOutputOffByOperator = "出力を OFF しました";
inline constexpr const char* LogSetpointSent = "出力を %.2fV/%.3fA にセットしました";
inline constexpr const char* LogVoltageTooHigh = "許容設定電圧を超えるため設定できません";
inline constexpr const char* LogCurrentTooHigh = "許容設定電流を超えるため設定できません";
inline constexpr const char* LogPowerTooHigh = "許容電力容量を超えるため設定できません";
// A field's text at a set is no number as a whole (pasted "1,5", "12abc", "-5").
inline constexpr const char* LogNotANumber = "入力値は数値ではありません";
inline constexpr const char* LogCsvStarted = "ログを開始しました";
inline constexpr const char* LogCsvOpenFailed = "ログファイルをオープンできません";
inline constexpr const char* LogCsvStopped = "ログを停止しました";
inline constexpr const char* LogCsvWriteFailed = "ログファイルに書き込めません";
// The device was lost while the log's file was being chosen; no file was touched.
inline constexpr const char* LogCsvNotConnected =
    "デバイスが接続されていないためログを開始できません";

// --- Message box captions and texts ---
inline constexpr const char* CaptionError = "ERROR";
inline constexpr const char* CaptionOk = "OK";
inline constexpr const char* ScanNotFound = "デバイスが見つかりません";
inline constexpr const char* ScanFound = "デバイスが %s で見つかりました";

// --- Main window ---
inline constexpr const char* MainCaption = "Quorel";
inline constexpr const char* GroupSetpoints = "設定値";
inline constexpr const char* GroupOutput = "出力";
inline constexpr const char* GroupLog = "ログ";
inline constexpr const char* GroupDevice = "ﾃﾞﾊﾞｲｽ";
inline constexpr const char* GroupReadings = "現在値";
inline constexpr const char* GroupHistory = "出力の履歴";
inline constexpr const char* GroupHistoryWithSpan = "出力の履歴(%d秒)";
inline constexpr const char* GroupSystemLog = "システムログ";
inline constexpr const char* ButtonConnect = "接続";
inline constexpr const char* ButtonDisconnect = "切断";
inline constexpr const char* ButtonSettings = "設定";
inline constexpr const char* ButtonLogStart = "開始";
inline constexpr const char* ButtonLogStop = "停止";
inline constexpr const char* ButtonSet = "set";
inline constexpr const char* LabelMain = "Main";
inline constexpr const char* SourceUsbHostInitial = "USBホスト給電　出力電力1.5W";
inline constexpr const char* SourceUsbHost = "USBホスト給電中　最大出力電力1.5W";
inline constexpr const char* SourceAdapter = "ACアダプタ給電中　最大出力電力6.0W";
inline constexpr const char* SourceAdapterIdle = "ACアダプタ接続　未給電";
inline constexpr const char* MenuAbout = "REZAZOZER のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* MenuFirmwareUpdate = "ファームウェアの更新";
inline constexpr const char* AboutCaption = "Quorelのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* AboutVersion = "Quorel Version 1.0.1.0";
inline constexpr const char* AboutLine1 = "USB プログラマブル電源 制御ソフト";
inline constexpr const char* AboutLine2 = "出力 0～20V / 0～1A";
inline constexpr const char* AboutLine3 = "USBホスト給電 1.5W / ACアダプタ 6.0W";
inline constexpr const char* AboutLine4 = "Qt 6 / Linux 版";
inline constexpr const char* AboutLine5 = "Copyright (C) Quorel";
inline constexpr const char* MenuTitle = "Quorel";
inline constexpr const char* MenuClose = "閉じる(&C)";
inline constexpr const char* FontPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* FontGothic = "ＭＳ ゴシック";

// --- Settings dialog ---
inline constexpr const char* SettingsCaption = "設定";
inline constexpr const char* ButtonScan = "SCAN";
inline constexpr const char* SettingsOk = "OK";
inline constexpr const char* SettingsCancel = "ｷｬﾝｾﾙ";
inline constexpr const char* SettingsGroupConnection = "接続の設定";
inline constexpr const char* SettingsPort = "ポート";
inline constexpr const char* SettingsConnectAtStart = "起動時に接続する";
inline constexpr const char* SettingsGroupHistory = "出力履歴の設定";
inline constexpr const char* SettingsSpan = "スパン";
inline constexpr const char* SettingsAfterRestart = "再起動後に有効";
inline constexpr const char* SettingsGroupOther = "その他";
inline constexpr const char* SettingsUseSysLogFile = "システムログをファイルに保存";
inline constexpr const char* SettingsOffsetAtt = "分圧器の電流をオフセットする";
inline constexpr const char* SettingsFile = "ﾌｧｲﾙ";
inline constexpr const char* ButtonBrowse = "参照";
inline constexpr const char* FilterLogFile = "log file(*.log)|*.log|全て(*.*)|*.*||";
inline constexpr const char* Span60 = "60秒";
inline constexpr const char* Span120 = "120秒";
inline constexpr const char* Span180 = "180秒";
inline constexpr const char* Span240 = "240秒";

// --- Measurement log chooser ---
inline constexpr const char* FilterCsv = "CSV(*.csv)|*.csv|全て(*.*)|*.*||";
inline constexpr const char* CsvIntervalLabel = "ログの出力間隔:";
inline constexpr const char* CsvInterval1s = "1秒";
inline constexpr const char* CsvInterval10s = "10秒";
inline constexpr const char* CsvInterval1m = "1分";
inline constexpr const char* CsvInterval10m = "10分";
inline constexpr const char* CsvInterval1h = "1時間";
inline constexpr const char* CsvAppend = "既存ファイルの場合は追記する";

// --- Firmware update ---
inline constexpr const char* FirmwareInstructionsCaption =
    "デバイス側ファームウェア更新プログラムの起動";
inline constexpr const char* FirmwareInstructions =
    "ファーム更新に失敗しても更新プログラムの起動ができるよう、更新プログラムは主プログラムと\n"
    "完全に独立しています。このため、次の手順により更新プログラムを起動してください。\n\n"
    "1. デバイスからすべてのケーブルを外し、パワーオンリセットするため10秒以上放置します。\n"
    "2. OUTPUTスイッチを押したままUSBケーブルを接続し、CV(緑色)LEDが点滅するまで押し続けます。\n"
    "3. 点滅を確認したら、OKボタンを押して、ファームウェア更新に進んでください。";
inline constexpr const char* FirmwareDialogCaption = "ファームウェア更新";
inline constexpr const char* FirmwarePort = "ポート";
inline constexpr const char* FirmwareFile = "ﾌｧｰﾑHEXﾌｧｲﾙ";
inline constexpr const char* FirmwareUpdateButton = "更新";
inline constexpr const char* FirmwareCancelButton = "ｷｬﾝｾﾙ";
inline constexpr const char* FirmwareTakesTime = "この処理には少し時間がかかります。";
inline constexpr const char* FilterHex = "hex file(*.hex)|*.hex|全て(*.*)|*.*||";
inline constexpr const char* FirmwareTransferCaption = "ファームウェア転送中...";
inline constexpr const char* FirmwareTransferAddress = "転送中のアドレス";
inline constexpr const char* FirmwareFileOpenFailed =
    "指定のファームウェアHEXファイルを開けません。";
inline constexpr const char* FirmwareFileReadFailed =
    "ファームウェアHEXファイル読み込みエラーです。";
// The file programs none of the words the boot-loader writes; nothing was sent.
inline constexpr const char* FirmwareFileNoProgram =
    "ファームウェアHEXファイルに書き込むプログラムがありません。";
inline constexpr const char* FirmwareConnectFailed =
    "ファームウェア更新プログラムと通信できません。\n"
    "ファームウェア更新プログラムの起動手順とポートを確認してください。";
inline constexpr const char* FirmwareEraseFailed = "フラッシュメモリ消去に失敗しました";
inline constexpr const char* FirmwareTransferFailed = "ファームウェア転送エラーが発生しました。";
inline constexpr const char* FirmwareDoneCaption = "ファームウェア更新完了";
inline constexpr const char* FirmwareDone =
    "ファームウェア更新は完了しました。\n"
    "ダイアログを閉じると更新プログラムを終了し、主プログラムが起動します。";

// --- Command-line tool (quorelctl) ---
// What a device operation's result means, after the message of the step that failed.
inline constexpr const char* ResultOpenFailed = "ポートを開けません";
inline constexpr const char* ResultLinkError = "通信エラーが発生しました";
inline constexpr const char* ResultBadReply = "デバイスが正しく応答しません";
inline constexpr const char* ResultNotConnected = "デバイスが接続されていません";
// The output read back after switching is not what was asked for.
inline constexpr const char* OutputNotFollowed = "デバイスの出力が切り替わりませんでした";
// The update's final message where no dialog is left to close.
inline constexpr const char* FirmwareDoneNoDialog =
    "ファームウェア更新は完了しました。\n"
    "更新プログラムを終了し、主プログラムが起動します。";

// --- Measurement session: counters, protections, reconnection ---
inline constexpr const char* ProtectionOverVoltage = "過電圧保護";
inline constexpr const char* ProtectionOverCurrent = "過電流保護";
inline constexpr const char* ProtectionOverPower = "過電力保護";
// The protection's name, its level and the measured value.
inline constexpr const char* LogProtectionTripped = "%sが作動し出力をOFFしました(設定 %s　測定 %s)";
inline constexpr const char* LogProtectionCleared = "%sの作動を解除しました";
// The protection's name and the largest level allowed.
inline constexpr const char* LogProtectionLevelRefused =
    "%sのレベルは0より大きく%s以下で設定してください";
inline constexpr const char* LogProtectionDelayRefused =
    "過電流保護の遅延時間は0～3600秒で設定してください";
inline constexpr const char* LogOutputRefusedTripped = "保護が作動中のため出力をONできません";
inline constexpr const char* LogCountersReset = "積算値をリセットしました";
// The key of section [SESSION] whose value could not be used.
inline constexpr const char* LogSessionSettingBad = "設定 [SESSION] %s の値が正しくないため既定値を使います";

// --- Remote control ---
// A remote client's action: its address, then the line the operator's action writes.
inline constexpr const char* LogRemoteAction = "リモート %s: %s";
// The client's address.
inline constexpr const char* LogRemoteClientConnected = "リモートのクライアント %s が接続しました";
inline constexpr const char* LogRemoteClientDisconnected =
    "リモートのクライアント %s が切断しました";
inline constexpr const char* LogRemoteClientRefusedFull =
    "リモートのクライアント %s を拒否しました(接続数が上限です)";
inline constexpr const char* LogRemoteClientRefusedNotAllowed =
    "リモートのクライアント %s を拒否しました(許可されていないアドレスです)";
inline constexpr const char* LogRemoteClientDroppedNotReading =
    "リモートのクライアント %s を切断しました(応答を受け取りません)";
inline constexpr const char* LogRemoteClientDroppedOnStop =
    "リモートのクライアント %s を切断しました";
// The address it listens on.
inline constexpr const char* LogRemoteStarted = "リモート制御を %s で開始しました";
inline constexpr const char* LogRemoteStopped = "リモート制御を停止しました";
// The address, then why.
inline constexpr const char* LogRemoteStartFailed = "リモート制御を %s で開始できません(%s)";
inline constexpr const char* RemoteAddressInUse = "アドレスは使用中です";
inline constexpr const char* RemoteAddressUnavailable = "このアドレスはありません";
inline constexpr const char* RemotePermissionDenied = "権限がありません";
inline constexpr const char* RemoteFailed = "ソケットのエラーです";
// The key of section [REMOTE] whose value could not be used.
inline constexpr const char* LogRemoteSettingBad =
    "設定 [REMOTE] %s の値が正しくないため既定値を使います";
inline constexpr const char* LogRemoteReset = "リセットしました(出力OFF　保護解除　積算値リセット)";
// The protection's name and its new level.
inline constexpr const char* LogProtectionLevelSet = "%sのレベルを %s に設定しました";
inline constexpr const char* LogProtectionEnabled = "%sを有効にしました";
inline constexpr const char* LogProtectionDisabled = "%sを無効にしました";
// The delay in seconds.
inline constexpr const char* LogProtectionDelaySet = "過電流保護の遅延時間を %s秒 に設定しました";
// The main window's title while clients are connected: their number.
inline constexpr const char* MainCaptionRemote = "Quorel - リモート接続中(%d)";

// --- Measurement window ---
inline constexpr const char* MenuMeasurement = "計測ウィンドウ(&M)...";
inline constexpr const char* MeasurementCaption = "計測";
inline constexpr const char* PageStatistics = "統計";
inline constexpr const char* PageProtections = "保護";
inline constexpr const char* StatCharge = "積算電荷";
inline constexpr const char* StatEnergy = "積算電力量";
inline constexpr const char* StatOutputOnTime = "出力ON時間";
inline constexpr const char* StatMin = "最小";
inline constexpr const char* StatMax = "最大";
inline constexpr const char* StatMean = "平均";
inline constexpr const char* StatVoltage = "電圧";
inline constexpr const char* StatCurrent = "電流";
inline constexpr const char* StatPower = "電力";
inline constexpr const char* StatReset = "リセット";
inline constexpr const char* ProtectionEnabled = "有効";
inline constexpr const char* ProtectionLevel = "レベル";
inline constexpr const char* ProtectionState = "状態";
inline constexpr const char* ProtectionNormal = "正常";
inline constexpr const char* ProtectionTripped = "作動中";
inline constexpr const char* ProtectionClear = "解除";
inline constexpr const char* ProtectionDelay = "過電流保護の遅延";
inline constexpr const char* UnitSeconds = "秒";
inline constexpr const char* SessionAutoReconnect = "切断されたとき自動的に再接続する(2秒ごと)";
inline constexpr const char* ButtonApply = "適用";
inline constexpr const char* PageRemote = "リモート";
inline constexpr const char* RemoteEnabled = "リモート制御を有効にする";
inline constexpr const char* RemoteListen = "待ち受けアドレス";
inline constexpr const char* RemoteAllow = "許可するネットワーク";
inline constexpr const char* RemoteAllowHint = "空欄ですべて許可(例 192.168.1.0/24,10.0.0.7)";
inline constexpr const char* RemoteState = "状態";
inline constexpr const char* RemoteListening = "%s で待ち受け中";
inline constexpr const char* RemoteNotListening = "停止中";
inline constexpr const char* RemoteClients = "接続中のクライアント";
inline constexpr const char* LogRemoteListenRefused =
    "待ち受けアドレスは ADDR:PORT で設定してください";
inline constexpr const char* LogRemoteAllowRefused =
    "許可するネットワークは ADDR/N をカンマで区切って設定してください";

// --- Measurement window: history page ---
inline constexpr const char* PageHistory = "履歴";
inline constexpr const char* HistoryVoltage = "電圧";
inline constexpr const char* HistoryCurrent = "電流";
inline constexpr const char* HistoryPower = "電力";
inline constexpr const char* HistoryFit = "全体";
inline constexpr const char* HistoryLive = "ライブ";
inline constexpr const char* HistoryCursors = "カーソル";
inline constexpr const char* HistoryOpen = "開く...";
inline constexpr const char* HistorySession = "セッション";
inline constexpr const char* HistoryExport = "書き出し...";
inline constexpr const char* HistoryExportLog = "CSV(ログ形式)";
inline constexpr const char* HistoryExportIso = "CSV(ISO 8601時刻)";
inline constexpr const char* HistoryExportPng = "PNG画像";
inline constexpr const char* HistoryExportSvg = "SVG画像";
inline constexpr const char* FilterPng = "PNG(*.png)|*.png|全て(*.*)|*.*||";
inline constexpr const char* FilterSvg = "SVG(*.svg)|*.svg|全て(*.*)|*.*||";
inline constexpr const char* HistorySourceSession = "セッションの履歴";
// The file's name, then what reading it found.
inline constexpr const char* HistorySourceFile = "ファイル %s";
inline constexpr const char* HistoryNoReading = "-";
inline constexpr const char* HistoryHelp =
    "ホイール:時間の拡大縮小　Ctrl+ホイール:値の拡大縮小　ドラッグ:移動　"
    "Shift+ドラッグ/右ドラッグ:範囲を拡大";
// Readings taken and lines passed over, with the first line numbers.
inline constexpr const char* HistoryFileRead = "%zu 件の測定値を読み込みました";
inline constexpr const char* HistoryFileDamaged = "読み込めない行が %zu 行ありました(%s 行目)";
inline constexpr const char* HistoryFileClockBack =
    "時刻が戻った行が %zu 行ありました(最初は %zu 行目)。間隔をあけて続けて表示します";
inline constexpr const char* HistoryFileDropped = "古い %llu 件は保持できる件数を超えるため表示しません";
inline constexpr const char* HistoryFileOpenFailed = "ファイル %s を開けません";
inline constexpr const char* HistoryFileEmpty = "ファイル %s は空です";
inline constexpr const char* HistoryFileBinary = "ファイル %s は測定ログ(CSV)ではありません";
inline constexpr const char* HistoryFileNothingReadable =
    "ファイル %s には読み込める測定値がありません";
inline constexpr const char* HistoryExported = "履歴を %s に書き出しました";
inline constexpr const char* HistoryExportFailed = "履歴を %s に書き出せません";
inline constexpr const char* HistoryExportNothing = "表示範囲に測定値がありません";
// A reading under the pointer or a cursor: its time, volts, amperes, watts and state.
inline constexpr const char* HistoryReading = "%s　%.2f V　%.3f A　%.3f W　%s";
// Between the cursors: time, changes, means, charge and energy.
inline constexpr const char* HistoryBetween =
    "Δt %.1f 秒　ΔV %s　ΔI %s　平均 %.2f V / %.3f A / %.3f W　電荷 %.3f mAh　電力量 %.4f Wh";
// Log lines.
inline constexpr const char* LogHistoryFileOpened = "履歴ファイル %s を開きました";

// --- Sequences and charge profiles ---
inline constexpr const char* PageSequence = "シーケンス";
// Lines of a sequence file that cannot be used: the line number, then what is wrong.
inline constexpr const char* SequenceFileLine = "%zu 行目: %s";
inline constexpr const char* SequenceFileNoHeader = "見出し行 volts,amps,seconds,ramp がありません";
inline constexpr const char* SequenceFileFieldCount = "値の数が正しくありません";
inline constexpr const char* SequenceFileVolts = "電圧は0～20の数値で指定してください";
inline constexpr const char* SequenceFileAmps = "電流は0～1の数値で指定してください";
inline constexpr const char* SequenceFileSeconds = "時間は0.1～1000000の数値(秒)で指定してください";
inline constexpr const char* SequenceFileRamp = "ランプは step または linear で指定してください";
inline constexpr const char* SequenceFileNoSteps = "ステップがありません";
inline constexpr const char* SequenceFileTooManySteps = "ステップは10000個までです";
inline constexpr const char* SequenceFileTooLarge = "ファイルが大きすぎます";
inline constexpr const char* SequenceFileCannotOpen = "ファイルを開けません";
inline constexpr const char* SequenceFileMore = "ほか %zu 箇所";
// The file's name, then the problems.
inline constexpr const char* SequenceFileRefused = "シーケンスファイル %s を読み込めません";
inline constexpr const char* SequenceFileLoaded = "シーケンスファイル %s を読み込みました";
inline constexpr const char* SequenceFileSaved = "シーケンスファイル %s に保存しました";
inline constexpr const char* SequenceFileSaveFailed = "シーケンスファイル %s に保存できません";
inline constexpr const char* FilterSequence = "CSV(*.csv)|*.csv|全て(*.*)|*.*||";
// Why a sequence does not start; nothing was sent.
inline constexpr const char* SequenceRefusedStep = "ステップ %d は設定できません: %s";
// The step, the time into it, the point's volts and amperes, the rule's message.
inline constexpr const char* SequenceRefusedRampPoint =
    "ステップ %d の %.2f 秒の点 %.2fV/%.3fA は設定できません: %s";
inline constexpr const char* SequenceRefusedDuration =
    "ステップ %d の時間は0.1～1000000秒で指定してください";
inline constexpr const char* SequenceRefusedNoSteps = "ステップがありません";
inline constexpr const char* SequenceRefusedTooManySteps = "ステップは10000個までです";
inline constexpr const char* SequenceRefusedRepeat = "繰り返し回数は1～1000000回で指定してください";
inline constexpr const char* SequenceRefusedStop = "停止条件の値が正しくありません";
inline constexpr const char* SequenceRefusedNotConnected =
    "デバイスが接続されていないためシーケンスを開始できません";
inline constexpr const char* SequenceRefusedRunning = "シーケンスの実行中は開始できません";
// Steps and repeats ("無限" for endless).
inline constexpr const char* SequenceStarted = "シーケンスを開始しました(%zu ステップ　繰り返し %s)";
inline constexpr const char* SequenceEndless = "無限";
inline constexpr const char* SequencePaused = "シーケンスを一時停止しました";
inline constexpr const char* SequenceResumed = "シーケンスを再開しました";
inline constexpr const char* SequenceCompleted = "シーケンスが完了しました";
inline constexpr const char* SequenceAborted = "シーケンスを中止しました";
inline constexpr const char* SequenceStopCurrent = "電流が %.3fA 未満のまま %g 秒経過したためシーケンスを終了しました";
inline constexpr const char* SequenceStopVoltage = "電圧が %.2fV を超えたためシーケンスを終了しました";
inline constexpr const char* SequenceStopElapsed = "経過時間が %s に達したためシーケンスを終了しました";
inline constexpr const char* SequenceStopCharge = "電荷が %.3fAh を超えたためシーケンスを終了しました";
inline constexpr const char* SequenceDeviceLost = "デバイスと切断されたためシーケンスを中止しました";
inline constexpr const char* SequenceDeviceFailed = "設定値を送信できないためシーケンスを中止しました";
inline constexpr const char* SequenceTripped = "保護が作動したためシーケンスを中止しました";
inline constexpr const char* SequenceWindowClosed = "ウィンドウを閉じたためシーケンスを中止しました";
inline constexpr const char* SequenceOutputOn = "シーケンスの開始で出力をONしました";
inline constexpr const char* SequenceOutputOff = "シーケンスの終了で出力をOFFしました";
// Charge profiles: refusals of their parameters.
inline constexpr const char* ChargeCellsRefused = "セル数は1～%dで指定してください";
inline constexpr const char* ChargeCapacityRefused = "容量は10～100000mAhで指定してください";
inline constexpr const char* ChargeRateRefused = "充電レートは0.01～10Cで指定してください";
inline constexpr const char* ChargeCurrentRefused = "充電電流 %.3fA は0.001～1Aの範囲外です";
inline constexpr const char* ChargeTerminationRefused = "終止電流は0.001A以上で充電電流より小さくしてください";
inline constexpr const char* ChargeMaxTimeRefused = "最大時間は60～604800秒で指定してください";
// The chemistry, cells, volts and amperes.
inline constexpr const char* ChargeStarted = "充電を開始しました(%s　%dセル　%.2fV/%.3fA)";
// Why it ended, charge, energy, time.
inline constexpr const char* ChargeSummary = "充電を終了しました(%s　電荷 %.1fmAh　電力量 %.3fWh　時間 %s)";
inline constexpr const char* ChargeEndTermination = "終止電流に到達";
inline constexpr const char* ChargeEndMaxTime = "最大時間に到達";
inline constexpr const char* ChargeEndCharge = "充電量に到達";
inline constexpr const char* ChargeEndAborted = "中止";
inline constexpr const char* ChargeEndDeviceLost = "デバイス切断";
inline constexpr const char* ChargeEndDeviceFailed = "送信エラー";
inline constexpr const char* ChargeEndTripped = "保護作動";
inline constexpr const char* ChargeEndWindowClosed = "ウィンドウを閉じた";
inline constexpr const char* ChargeEndVoltage = "電圧上限";
// The sequence page.
inline constexpr const char* SequenceColumnVolts = "電圧[V]";
inline constexpr const char* SequenceColumnAmps = "電流[A]";
inline constexpr const char* SequenceColumnSeconds = "時間[秒]";
inline constexpr const char* SequenceColumnLinear = "直線ランプ";
inline constexpr const char* SequenceAdd = "追加";
inline constexpr const char* SequenceRemove = "削除";
inline constexpr const char* SequenceUp = "上へ";
inline constexpr const char* SequenceDown = "下へ";
inline constexpr const char* SequenceLoad = "読み込み...";
inline constexpr const char* SequenceSave = "保存...";
inline constexpr const char* SequenceRepeat = "繰り返し";
inline constexpr const char* SequenceTimes = "回";
inline constexpr const char* SequenceRepeatEndless = "無限";
inline constexpr const char* SequenceGroupStops = "停止条件";
inline constexpr const char* SequenceConditionBelow = "電流が";
inline constexpr const char* SequenceConditionBelowFor = "A 未満のまま";
inline constexpr const char* SequenceConditionBelowEnd = "秒続いたら終了";
inline constexpr const char* SequenceConditionAbove = "電圧が";
inline constexpr const char* SequenceConditionAboveEnd = "V を超えたら終了";
inline constexpr const char* SequenceConditionAfter = "経過時間";
inline constexpr const char* SequenceConditionAfterEnd = "秒で終了";
inline constexpr const char* SequenceConditionCharge = "電荷が";
inline constexpr const char* SequenceConditionChargeEnd = "Ah を超えたら終了";
inline constexpr const char* SequenceOutputOnAtStart = "開始時に出力をONする";
inline constexpr const char* SequenceKeepOutputAtEnd = "終了後も出力をONのままにする";
inline constexpr const char* SequenceStart = "開始";
inline constexpr const char* SequencePause = "一時停止";
inline constexpr const char* SequenceResume = "再開";
inline constexpr const char* SequenceAbort = "中止";
inline constexpr const char* SequenceIdle = "停止中";
// The step, the number of steps, the round ("2/3", "4/無限") and the time left in the step.
inline constexpr const char* SequenceRunning = "ステップ %d/%zu　繰り返し %s　残り %s";
inline constexpr const char* SequencePausedState = "一時停止中　ステップ %d/%zu　繰り返し %s　残り %s";
// The step and what is wrong with one of its cells.
inline constexpr const char* SequenceCellRefused = "ステップ %d: %s";
inline constexpr const char* SequenceCloseRunning = "シーケンスを実行中です。中止してウィンドウを閉じますか?";
// The capacity of the present source, on the preview's limit line.
inline constexpr const char* SequencePreviewLimit = "上限 %.1fW";
inline constexpr const char* SequenceGroupCharge = "充電プロファイル";
inline constexpr const char* ChargeChemistry = "種類";
inline constexpr const char* ChargeCells = "セル数";
inline constexpr const char* ChargeCapacity = "容量[mAh]";
inline constexpr const char* ChargeRate = "充電レート[C]";
inline constexpr const char* ChargeTermination = "終止電流[A]";
inline constexpr const char* ChargeMaxTime = "最大時間[秒]";
inline constexpr const char* ChargeDefault = "既定";
inline constexpr const char* ChargeStart = "充電開始";

} // namespace texts
