<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>texts</name>
    <message>
        <source>制御ソフト起動しました</source>
        <translation>Control program started</translation>
    </message>
    <message>
        <source>制御ソフト終了します</source>
        <translation>Control program closing</translation>
    </message>
    <message>
        <source>デバイス %s/FW%s を接続しました</source>
        <translation>Device %s/FW%s connected</translation>
    </message>
    <message>
        <source>デバイス %s を接続できません</source>
        <translation>Cannot connect to the device on %s</translation>
    </message>
    <message>
        <source>デバイスを切断しました</source>
        <translation>Device disconnected</translation>
    </message>
    <message>
        <source>デバイスと切断されました</source>
        <translation>Connection to the device lost</translation>
    </message>
    <message>
        <source>出力をONしました</source>
        <translation>Output is ON</translation>
    </message>
    <message>
        <source>出力をOFFしました</source>
        <translation>Output is OFF</translation>
    </message>
    <message>
        <source>USBホスト給電中</source>
        <translation>Powered by the USB host</translation>
    </message>
    <message>
        <source>アダプタ給電中</source>
        <translation>Powered by the adapter</translation>
    </message>
    <message>
        <source>アダプタ接続&#x3000;未給電中</source>
        <translation>Adapter connected, not supplying</translation>
    </message>
    <message>
        <source>出力を ON しました</source>
        <translation>Output switched ON</translation>
    </message>
    <message>
        <source>出力を OFF しました</source>
        <translation>Output switched OFF</translation>
    </message>
    <message>
        <source>出力を %.2fV/%.3fA にセットしました</source>
        <translation>Output set to %.2fV/%.3fA</translation>
    </message>
    <message>
        <source>許容設定電圧を超えるため設定できません</source>
        <translation>Not set: the voltage is above the allowed limit</translation>
    </message>
    <message>
        <source>許容設定電流を超えるため設定できません</source>
        <translation>Not set: the current is above the allowed limit</translation>
    </message>
    <message>
        <source>許容電力容量を超えるため設定できません</source>
        <translation>Not set: the power is above the source&apos;s capacity</translation>
    </message>
    <message>
        <source>入力値は数値ではありません</source>
        <translation>The value entered is not a number</translation>
    </message>
    <message>
        <source>ログを開始しました</source>
        <translation>Log started</translation>
    </message>
    <message>
        <source>ログファイルをオープンできません</source>
        <translation>Cannot open the log file</translation>
    </message>
    <message>
        <source>ログを停止しました</source>
        <translation>Log stopped</translation>
    </message>
    <message>
        <source>ログファイルに書き込めません</source>
        <translation>Cannot write to the log file</translation>
    </message>
    <message>
        <source>デバイスが接続されていないためログを開始できません</source>
        <translation>Cannot start the log: no device is connected</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>デバイスが見つかりません</source>
        <translation>No device found</translation>
    </message>
    <message>
        <source>デバイスが %s で見つかりました</source>
        <translation>Device found on %s</translation>
    </message>
    <message>
        <source>Quorel</source>
        <translation>Quorel</translation>
    </message>
    <message>
        <source>設定値</source>
        <translation>Set-points</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>ログ</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>ﾃﾞﾊﾞｲｽ</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>現在値</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>出力の履歴</source>
        <translation>Output history</translation>
    </message>
    <message>
        <source>出力の履歴(%d秒)</source>
        <translation>Output history (%d s)</translation>
    </message>
    <message>
        <source>システムログ</source>
        <translation>System log</translation>
    </message>
    <message>
        <source>接続</source>
        <translation>&amp;Connect</translation>
    </message>
    <message>
        <source>切断</source>
        <translation>&amp;Disconnect</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>S&amp;tart</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>St&amp;op</translation>
    </message>
    <message>
        <source>set</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>USBホスト給電&#x3000;出力電力1.5W</source>
        <translation>USB host power, output 1.5 W</translation>
    </message>
    <message>
        <source>USBホスト給電中&#x3000;最大出力電力1.5W</source>
        <translation>USB host power, max. output 1.5 W</translation>
    </message>
    <message>
        <source>ACアダプタ給電中&#x3000;最大出力電力6.0W</source>
        <translation>AC adapter power, max. output 6.0 W</translation>
    </message>
    <message>
        <source>ACアダプタ接続&#x3000;未給電</source>
        <translation>AC adapter connected, not supplying</translation>
    </message>
    <message>
        <source>REZAZOZER のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</source>
        <translation>&amp;About REZAZOZER...</translation>
    </message>
    <message>
        <source>Quorelのﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Quorel</translation>
    </message>
    <message>
        <source>Quorel Version 1.0.1.0</source>
        <translation>Quorel Version 1.0.1.0</translation>
    </message>
    <message>
        <source>USB プログラマブル電源 制御ソフト</source>
        <translation>USB programmable power supply control program</translation>
    </message>
    <message>
        <source>出力 0～20V / 0～1A</source>
        <translation>Output 0 to 20 V / 0 to 1 A</translation>
    </message>
    <message>
        <source>USBホスト給電 1.5W / ACアダプタ 6.0W</source>
        <translation>USB host power 1.5 W / AC adapter 6.0 W</translation>
    </message>
    <message>
        <source>Qt 6 / Linux 版</source>
        <translation>Qt 6 / Linux edition</translation>
    </message>
    <message>
        <source>Copyright (C) Quorel</source>
        <translation>Copyright (C) Quorel</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>SCAN</source>
        <translation>&amp;SCAN</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>接続の設定</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>&amp;Port</translation>
    </message>
    <message>
        <source>起動時に接続する</source>
        <translation>&amp;Connect at start-up</translation>
    </message>
    <message>
        <source>出力履歴の設定</source>
        <translation>Output history</translation>
    </message>
    <message>
        <source>スパン</source>
        <translation>Spa&amp;n</translation>
    </message>
    <message>
        <source>再起動後に有効</source>
        <translation>Takes effect after a restart</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>システムログをファイルに保存</source>
        <translation>Save the system &amp;log to a file</translation>
    </message>
    <message>
        <source>分圧器の電流をオフセットする</source>
        <translation>&amp;Offset the voltage divider&apos;s current</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>&amp;Browse</translation>
    </message>
    <message>
        <source>log file(*.log)|*.log|全て(*.*)|*.*||</source>
        <translation>log file(*.log)|*.log|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>60秒</source>
        <translation>60 s</translation>
    </message>
    <message>
        <source>120秒</source>
        <translation>120 s</translation>
    </message>
    <message>
        <source>180秒</source>
        <translation>180 s</translation>
    </message>
    <message>
        <source>240秒</source>
        <translation>240 s</translation>
    </message>
    <message>
        <source>CSV(*.csv)|*.csv|全て(*.*)|*.*||</source>
        <translation>CSV(*.csv)|*.csv|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>ステップがありません。見出しだけのファイルを保存しますか?</source>
        <translation>There are no steps. Save a file with the header only?</translation>
    </message>
    <message>
        <source>ログの出力間隔:</source>
        <translation>Log &amp;interval:</translation>
    </message>
    <message>
        <source>1秒</source>
        <translation>1 s</translation>
    </message>
    <message>
        <source>10秒</source>
        <translation>10 s</translation>
    </message>
    <message>
        <source>1分</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>10分</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>1時間</source>
        <translation>1 h</translation>
    </message>
    <message>
        <source>既存ファイルの場合は追記する</source>
        <translation>&amp;Append to an existing file</translation>
    </message>
    <message>
        <source>デバイス側ファームウェア更新プログラムの起動</source>
        <translation>Starting the device&apos;s firmware updater</translation>
    </message>
    <message>
        <source>ファーム更新に失敗しても更新プログラムの起動ができるよう、更新プログラムは主プログラムと
完全に独立しています。このため、次の手順により更新プログラムを起動してください。

1. デバイスからすべてのケーブルを外し、パワーオンリセットするため10秒以上放置します。
2. OUTPUTスイッチを押したままUSBケーブルを接続し、CV(緑色)LEDが点滅するまで押し続けます。
3. 点滅を確認したら、OKボタンを押して、ファームウェア更新に進んでください。</source>
        <translation>The updater is wholly independent of the main firmware, so that it can still be started
after a failed update. Start it as follows:

1. Unplug every cable from the device and leave it for at least 10 seconds (power-on reset).
2. Hold the OUTPUT switch while plugging in the USB cable, until the CV (green) LED blinks.
3. Once it blinks, press OK to go on with the firmware update.</translation>
    </message>
    <message>
        <source>ファームウェア更新</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>ﾌｧｰﾑHEXﾌｧｲﾙ</source>
        <translation>Firmware &amp;HEX file</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>&amp;Update</translation>
    </message>
    <message>
        <source>この処理には少し時間がかかります。</source>
        <translation>This takes a little while.</translation>
    </message>
    <message>
        <source>hex file(*.hex)|*.hex|全て(*.*)|*.*||</source>
        <translation>hex file(*.hex)|*.hex|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>ファームウェア転送中...</source>
        <translation>Transferring the firmware...</translation>
    </message>
    <message>
        <source>転送中のアドレス</source>
        <translation>Address being sent</translation>
    </message>
    <message>
        <source>指定のファームウェアHEXファイルを開けません。</source>
        <translation>Cannot open the firmware HEX file.</translation>
    </message>
    <message>
        <source>ファームウェアHEXファイル読み込みエラーです。</source>
        <translation>Error reading the firmware HEX file.</translation>
    </message>
    <message>
        <source>ファームウェアHEXファイルに書き込むプログラムがありません。</source>
        <translation>The firmware HEX file holds no program to write.</translation>
    </message>
    <message>
        <source>ファームウェア更新プログラムと通信できません。
ファームウェア更新プログラムの起動手順とポートを確認してください。</source>
        <translation>Cannot communicate with the firmware updater.
Check how the updater was started and the port.</translation>
    </message>
    <message>
        <source>フラッシュメモリ消去に失敗しました</source>
        <translation>Erasing the flash memory failed</translation>
    </message>
    <message>
        <source>ファームウェア転送エラーが発生しました。</source>
        <translation>An error occurred while transferring the firmware.</translation>
    </message>
    <message>
        <source>ファームウェア更新完了</source>
        <translation>Firmware update complete</translation>
    </message>
    <message>
        <source>ファームウェア更新は完了しました。
ダイアログを閉じると更新プログラムを終了し、主プログラムが起動します。</source>
        <translation>The firmware update is complete.
Closing this dialog ends the updater and starts the main firmware.</translation>
    </message>
    <message>
        <source>ポートを開けません</source>
        <translation>cannot open the port</translation>
    </message>
    <message>
        <source>通信エラーが発生しました</source>
        <translation>communication error</translation>
    </message>
    <message>
        <source>デバイスが正しく応答しません</source>
        <translation>the device does not answer correctly</translation>
    </message>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>no device is connected</translation>
    </message>
    <message>
        <source>デバイスの出力が切り替わりませんでした</source>
        <translation>The device&apos;s output did not switch</translation>
    </message>
    <message>
        <source>出力をOFFできないため、出力がONのままの可能性があります(%s)</source>
        <translation>The output could not be switched OFF and may still be ON (%s)</translation>
    </message>
    <message>
        <source>出力をOFFするためデバイスを探します(最長 %d 秒)</source>
        <translation>Looking for the device to switch its output OFF (up to %d seconds)</translation>
    </message>
    <message>
        <source>デバイスが見つからないため出力をOFFできません。出力がONのままの可能性があります</source>
        <translation>The device was not found, so its output could not be switched OFF; the output may still be ON</translation>
    </message>
    <message>
        <source>ファームウェア更新は完了しました。
更新プログラムを終了し、主プログラムが起動します。</source>
        <translation>The firmware update is complete.
The updater ends and the main firmware starts.</translation>
    </message>
    <message>
        <source>実行中は一時停止(Ctrl-Z)できません。停止中は出力を監視できません。中止は Ctrl-C です</source>
        <translation>Cannot suspend (Ctrl-Z) during a run: while stopped, nothing watches the output. Ctrl-C ends the run</translation>
    </message>
    <message>
        <source>標準出力に書き込めません</source>
        <translation>Cannot write to the standard output</translation>
    </message>
    <message>
        <source>過電圧保護</source>
        <translation>Over-voltage protection</translation>
    </message>
    <message>
        <source>過電流保護</source>
        <translation>Over-current protection</translation>
    </message>
    <message>
        <source>過電力保護</source>
        <translation>Over-power protection</translation>
    </message>
    <message>
        <source>%sが作動し出力をOFFしました(設定 %s&#x3000;測定 %s)</source>
        <translation>%s tripped and switched the output OFF (level %s, measured %s)</translation>
    </message>
    <message>
        <source>%sの作動を解除しました</source>
        <translation>%s reset</translation>
    </message>
    <message>
        <source>%sのレベルは0より大きく%s以下で設定してください</source>
        <translation>Set the level of %s above 0 and at most %s</translation>
    </message>
    <message>
        <source>過電流保護の遅延時間は0～3600秒で設定してください</source>
        <translation>Set the over-current protection delay between 0 and 3600 s</translation>
    </message>
    <message>
        <source>保護が作動中のため出力をONできません</source>
        <translation>Cannot switch the output ON while a protection is tripped</translation>
    </message>
    <message>
        <source>積算値をリセットしました</source>
        <translation>Counters reset</translation>
    </message>
    <message>
        <source>設定 [SESSION] %s の値が正しくないため既定値を使います</source>
        <translation>Setting [SESSION] %s has a wrong value; the default is used</translation>
    </message>
    <message>
        <source>出力をOFFできません(%s)</source>
        <translation>Cannot switch the output OFF (%s)</translation>
    </message>
    <message>
        <source>出力をONできません(%s)</source>
        <translation>Cannot switch the output ON (%s)</translation>
    </message>
    <message>
        <source>%sが作動しましたが出力をOFFできません(設定 %s&#x3000;測定 %s&#x3000;%s)</source>
        <translation>%s tripped but the output could not be switched OFF (level %s, measured %s, %s)</translation>
    </message>
    <message>
        <source>OFFできなかった出力をOFFしました</source>
        <translation>The output that could not be switched OFF is OFF now</translation>
    </message>
    <message>
        <source>保護が作動中のため出力を再びOFFしました</source>
        <translation>Output switched OFF again: a protection is tripped</translation>
    </message>
    <message>
        <source>デバイスと切断されて中止した実行(%s&#x3000;%s 開始)の出力をOFFしました</source>
        <translation>Switched the output OFF that the run aborted by the lost device had left on (%s, started %s)</translation>
    </message>
    <message>
        <source>前回の実行(%s&#x3000;%s 開始)が終了していなかったため出力をOFFしました</source>
        <translation>The earlier run (%s, started %s) did not end; the output was switched OFF</translation>
    </message>
    <message>
        <source>終了していない実行の出力をOFFできません(%s)</source>
        <translation>Cannot switch OFF the output of the run that did not end (%s)</translation>
    </message>
    <message>
        <source>リモート %s: %s</source>
        <translation>Remote %s: %s</translation>
    </message>
    <message>
        <source>リモートのクライアント %s が接続しました</source>
        <translation>Remote client %s connected</translation>
    </message>
    <message>
        <source>リモートのクライアント %s が切断しました</source>
        <translation>Remote client %s disconnected</translation>
    </message>
    <message>
        <source>リモートのクライアント %s を拒否しました(接続数が上限です)</source>
        <translation>Remote client %s refused (too many connections)</translation>
    </message>
    <message>
        <source>リモートのクライアント %s を拒否しました(許可されていないアドレスです)</source>
        <translation>Remote client %s refused (address not allowed)</translation>
    </message>
    <message>
        <source>リモートのクライアント %s を切断しました(応答を受け取りません)</source>
        <translation>Remote client %s dropped (not reading its replies)</translation>
    </message>
    <message>
        <source>リモートのクライアント %s を切断しました</source>
        <translation>Remote client %s dropped</translation>
    </message>
    <message>
        <source>リモート制御を %s で開始しました</source>
        <translation>Remote control started on %s</translation>
    </message>
    <message>
        <source>リモート制御を停止しました</source>
        <translation>Remote control stopped</translation>
    </message>
    <message>
        <source>リモート制御を %s で開始できません(%s)</source>
        <translation>Cannot start remote control on %s (%s)</translation>
    </message>
    <message>
        <source>アドレスは使用中です</source>
        <translation>address in use</translation>
    </message>
    <message>
        <source>このアドレスはありません</source>
        <translation>no such address here</translation>
    </message>
    <message>
        <source>権限がありません</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>ソケットのエラーです</source>
        <translation>socket error</translation>
    </message>
    <message>
        <source>ループバック以外のアドレスには許可するネットワークが必要です。どのホストも許可するときは 0.0.0.0/0 を指定してください</source>
        <translation>an address other than loopback needs the networks to allow; give 0.0.0.0/0 to allow any host</translation>
    </message>
    <message>
        <source>設定 [REMOTE] %s の値が正しくないため既定値を使います</source>
        <translation>Setting [REMOTE] %s has a wrong value; the default is used</translation>
    </message>
    <message>
        <source>リセットしました(出力OFF&#x3000;保護解除&#x3000;積算値リセット)</source>
        <translation>Reset (output OFF, protections reset, counters reset)</translation>
    </message>
    <message>
        <source>リセットしました(保護解除&#x3000;積算値リセット)が、出力をOFFできません(%s)</source>
        <translation>Reset (protections reset, counters reset), but the output could not be switched OFF (%s)</translation>
    </message>
    <message>
        <source>%sのレベルを %s に設定しました</source>
        <translation>Level of %s set to %s</translation>
    </message>
    <message>
        <source>%sを有効にしました</source>
        <translation>%s enabled</translation>
    </message>
    <message>
        <source>%sを無効にしました</source>
        <translation>%s disabled</translation>
    </message>
    <message>
        <source>過電流保護の遅延時間を %s秒 に設定しました</source>
        <translation>Over-current protection delay set to %s s</translation>
    </message>
    <message>
        <source>Quorel - リモート接続中(%d)</source>
        <translation>Quorel - remote clients connected (%d)</translation>
    </message>
    <message>
        <source>VXI-11 を %s で開始しました</source>
        <translation>VXI-11 started on %s</translation>
    </message>
    <message>
        <source>VXI-11 をポートマッパーに登録しました</source>
        <translation>VXI-11 registered with the portmapper</translation>
    </message>
    <message>
        <source>ポートマッパー(rpcbind)が動いていないため、TCPIP::ホスト::INSTR ではこの装置が見つかりません</source>
        <translation>No portmapper (rpcbind) is running: TCPIP::host::INSTR will not find this instrument</translation>
    </message>
    <message>
        <source>ポートマッパーには別のプログラムが VXI-11 を登録済みです。TCPIP::ホスト::INSTR はそちらにつながります</source>
        <translation>Another program has registered VXI-11 with the portmapper: TCPIP::host::INSTR reaches that one</translation>
    </message>
    <message>
        <source>VXI-11 をポートマッパーに登録できません</source>
        <translation>VXI-11 cannot be registered with the portmapper</translation>
    </message>
    <message>
        <source>このビルドでは VXI-11 は使えません</source>
        <translation>VXI-11 is not available in this build</translation>
    </message>
    <message>
        <source>VXI-11 のリンクを %s が開きました</source>
        <translation>VXI-11 link opened by %s</translation>
    </message>
    <message>
        <source>VXI-11 のリンクを %s が閉じました</source>
        <translation>VXI-11 link closed by %s</translation>
    </message>
    <message>
        <source>%s の VXI-11 のリンクを拒否しました(接続数が上限です)</source>
        <translation>VXI-11 link of %s refused (too many clients)</translation>
    </message>
    <message>
        <source>%s の VXI-11 のリンクを閉じました(応答を受け取りません)</source>
        <translation>VXI-11 link of %s closed (it does not read its replies)</translation>
    </message>
    <message>
        <source>%s の VXI-11 のリンクを閉じました</source>
        <translation>VXI-11 link of %s closed</translation>
    </message>
    <message>
        <source>%s の VXI-11 のリンクを閉じました(不正なデータです)</source>
        <translation>VXI-11 link of %s closed (malformed data)</translation>
    </message>
    <message>
        <source>リモートのクライアント %s を切断しました(不正なデータです)</source>
        <translation>Remote client %s disconnected (malformed data)</translation>
    </message>
    <message>
        <source>ネットワークに「%s」として公開しました</source>
        <translation>Announced on the network as "%s"</translation>
    </message>
    <message>
        <source>「%s」はネットワーク上で使われているため「%s」として公開し直します</source>
        <translation>"%s" is taken on the network: announcing as "%s" instead</translation>
    </message>
    <message>
        <source>Avahi デーモンが動いていないため、ネットワークには公開しません</source>
        <translation>The Avahi daemon is not running: the instrument is not announced on the network</translation>
    </message>
    <message>
        <source>ネットワークに公開できません(%s)</source>
        <translation>Cannot announce on the network (%s)</translation>
    </message>
    <message>
        <source>ネットワークへの公開を終えました</source>
        <translation>No longer announced on the network</translation>
    </message>
    <message>
        <source>このビルドではネットワークに公開できません</source>
        <translation>This build cannot announce on the network</translation>
    </message>
    <message>
        <source>計測ウィンドウ(&amp;M)...</source>
        <translation>&amp;Measurement window...</translation>
    </message>
    <message>
        <source>計測</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>統計</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>保護</source>
        <translation>Protections</translation>
    </message>
    <message>
        <source>積算電荷</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>積算電力量</source>
        <translation>Energy</translation>
    </message>
    <message>
        <source>出力ON時間</source>
        <translation>Output ON time</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>電圧</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>電流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>電力</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>レベル</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>State</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>作動中</source>
        <translation>Tripped</translation>
    </message>
    <message>
        <source>解除</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>過電流保護の遅延</source>
        <translation>Over-current protection delay</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>切断されたとき自動的に再接続する(2秒ごと)</source>
        <translation>Reconnect automatically when the device is lost (every 2 s)</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>リモート</source>
        <translation>Remote</translation>
    </message>
    <message>
        <source>リモート制御を有効にする</source>
        <translation>Enable remote control</translation>
    </message>
    <message>
        <source>待ち受けアドレス</source>
        <translation>Listening address</translation>
    </message>
    <message>
        <source>許可するネットワーク</source>
        <translation>Allowed networks</translation>
    </message>
    <message>
        <source>空欄ですべて許可(例 192.168.1.0/24,10.0.0.7)</source>
        <translation>Empty allows all (e.g. 192.168.1.0/24,10.0.0.7)</translation>
    </message>
    <message>
        <source>%s で待ち受け中</source>
        <translation>Listening on %s</translation>
    </message>
    <message>
        <source>停止中</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>接続中のクライアント</source>
        <translation>Connected clients</translation>
    </message>
    <message>
        <source>待ち受けアドレスは ADDR:PORT で設定してください</source>
        <translation>Set the listening address as ADDR:PORT</translation>
    </message>
    <message>
        <source>許可するネットワークは ADDR/N をカンマで区切って設定してください</source>
        <translation>Set the allowed networks as ADDR/N separated by commas</translation>
    </message>
    <message>
        <source>VXI-11 でも受け付ける</source>
        <translation>Also accept VXI-11</translation>
    </message>
    <message>
        <source>ネットワークに公開する(DNS-SD)</source>
        <translation>Announce on the network (DNS-SD)</translation>
    </message>
    <message>
        <source>TCPIP::ホスト::INSTR で開く計測ソフトウェアからの接続を受け付けます</source>
        <translation>Accepts connections from measurement software that opens TCPIP::host::INSTR</translation>
    </message>
    <message>
        <source>待ち受けアドレスがループバックでも、lxi discover などから見つけられるようにします</source>
        <translation>Lets lxi discover and the like find the supply, even on a loopback listen address</translation>
    </message>
    <message>
        <source>履歴</source>
        <translation>History</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>ライブ</source>
        <translation>Live</translation>
    </message>
    <message>
        <source>カーソル</source>
        <translation>Cursors</translation>
    </message>
    <message>
        <source>開く...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>セッション</source>
        <translation>Session</translation>
    </message>
    <message>
        <source>書き出し...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>CSV(ログ形式)</source>
        <translation>CSV (log format)</translation>
    </message>
    <message>
        <source>CSV(ISO 8601時刻)</source>
        <translation>CSV (ISO 8601 times)</translation>
    </message>
    <message>
        <source>PNG画像</source>
        <translation>PNG image</translation>
    </message>
    <message>
        <source>SVG画像</source>
        <translation>SVG image</translation>
    </message>
    <message>
        <source>PNG(*.png)|*.png|全て(*.*)|*.*||</source>
        <translation>PNG(*.png)|*.png|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>SVG(*.svg)|*.svg|全て(*.*)|*.*||</source>
        <translation>SVG(*.svg)|*.svg|All files(*.*)|*.*||</translation>
    </message>
    <message>
        <source>セッションの履歴</source>
        <translation>Session history</translation>
    </message>
    <message>
        <source>ファイル %s</source>
        <translation>File %s</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>ホイール:時間の拡大縮小&#x3000;Ctrl+ホイール:値の拡大縮小&#x3000;ドラッグ:移動&#x3000;Shift+ドラッグ/右ドラッグ:範囲を拡大</source>
        <translation>Wheel: zoom time   Ctrl+wheel: zoom values   Drag: pan   Shift+drag/right drag: zoom to box</translation>
    </message>
    <message>
        <source>%zu 件の測定値を読み込みました</source>
        <translation>%zu readings read</translation>
    </message>
    <message>
        <source>読み込めない行が %zu 行ありました(%s 行目)</source>
        <translation>%zu lines could not be read (lines %s)</translation>
    </message>
    <message>
        <source>時刻が戻った行が %zu 行ありました(最初は %zu 行目)。間隔をあけて続けて表示します</source>
        <translation>%zu lines went back in time (the first is line %zu); shown after a gap</translation>
    </message>
    <message>
        <source>古い %llu 件は保持できる件数を超えるため表示しません</source>
        <translation>The oldest %llu readings are beyond what can be kept and are not shown</translation>
    </message>
    <message>
        <source>ファイル %s を開けません</source>
        <translation>Cannot open file %s</translation>
    </message>
    <message>
        <source>ファイル %s は空です</source>
        <translation>File %s is empty</translation>
    </message>
    <message>
        <source>ファイル %s は測定ログ(CSV)ではありません</source>
        <translation>File %s is not a measurement log (CSV)</translation>
    </message>
    <message>
        <source>ファイル %s には読み込める測定値がありません</source>
        <translation>File %s holds no readable readings</translation>
    </message>
    <message>
        <source>履歴を %s に書き出しました</source>
        <translation>History exported to %s</translation>
    </message>
    <message>
        <source>履歴を %s に書き出せません</source>
        <translation>Cannot export the history to %s</translation>
    </message>
    <message>
        <source>表示範囲に測定値がありません</source>
        <translation>No readings in the range shown</translation>
    </message>
    <message>
        <source>%s&#x3000;%.2f V&#x3000;%.3f A&#x3000;%.3f W&#x3000;%s</source>
        <translation>%s   %.2f V   %.3f A   %.3f W   %s</translation>
    </message>
    <message>
        <source>Δt %.1f 秒&#x3000;ΔV %s&#x3000;ΔI %s&#x3000;平均 %.2f V / %.3f A / %.3f W&#x3000;電荷 %.3f mAh&#x3000;電力量 %.4f Wh</source>
        <translation>Δt %.1f s   ΔV %s   ΔI %s   mean %.2f V / %.3f A / %.3f W   charge %.3f mAh   energy %.4f Wh</translation>
    </message>
    <message>
        <source>履歴ファイル %s を開きました</source>
        <translation>History file %s opened</translation>
    </message>
    <message>
        <source>1 件の測定値を読み込みました</source>
        <translation>1 reading read</translation>
    </message>
    <message>
        <source>読み込めない行が 1 行ありました(%s 行目)</source>
        <translation>1 line could not be read (line %s)</translation>
    </message>
    <message>
        <source>時刻が戻った行が 1 行ありました(%zu 行目)。間隔をあけて続けて表示します</source>
        <translation>1 line went back in time (line %zu); shown after a gap</translation>
    </message>
    <message>
        <source>%s は既にあります。置き換えますか?</source>
        <translation>%s already exists. Replace it?</translation>
    </message>
    <message>
        <source>%s には書き込めません(通常のファイルではないか、読み取り専用です)</source>
        <translation>Cannot write to %s (not a regular file, or read-only)</translation>
    </message>
    <message>
        <source>ポート %s を開く権限がありません。グループ %s に参加し(sudo usermod -aG %s $USER)、ログインし直してください</source>
        <translation>No permission to open port %s: join the group %s (sudo usermod -aG %s $USER), then log in again</translation>
    </message>
    <message>
        <source>ポート %s を開く権限がありません。デバイスの所有者と権限を確認してください</source>
        <translation>No permission to open port %s: check the device&apos;s owner and permissions</translation>
    </message>
    <message>
        <source>ポート %s は他のプログラムが使用中です</source>
        <translation>Port %s is in use by another program</translation>
    </message>
    <message>
        <source>設定 [DISPLAY] %s の値が正しくないため既定値を使います</source>
        <translation>Setting [DISPLAY] %s has a wrong value; the default is used</translation>
    </message>
    <message>
        <source>%s を受けたため終了します</source>
        <translation>Received %s: closing</translation>
    </message>
    <message>
        <source>&#x3000;</source>
        <translation>   </translation>
    </message>
    <message>
        <source>電流を電力容量から求める</source>
        <translation>Derive the current from the capacity</translation>
    </message>
    <message>
        <source>チェックすると、電圧をセットするとき電流を電力容量÷電圧にします</source>
        <translation>When checked, setting the voltage sets the current to the capacity divided by the voltage</translation>
    </message>
    <message>
        <source>電圧を電力容量から求める</source>
        <translation>Derive the voltage from the capacity</translation>
    </message>
    <message>
        <source>チェックすると、電流をセットするとき電圧を電力容量÷電流にします</source>
        <translation>When checked, setting the current sets the voltage to the capacity divided by the current</translation>
    </message>
    <message>
        <source>出力電圧の設定値(V)</source>
        <translation>Output voltage set-point (V)</translation>
    </message>
    <message>
        <source>0～20V、上下キーで変わります</source>
        <translation>0 to 20 V; the up and down keys change it</translation>
    </message>
    <message>
        <source>電流制限の設定値(A)</source>
        <translation>Current limit set-point (A)</translation>
    </message>
    <message>
        <source>0～1A、上下キーで変わります</source>
        <translation>0 to 1 A; the up and down keys change it</translation>
    </message>
    <message>
        <source>電圧をセット</source>
        <translation>Set the voltage</translation>
    </message>
    <message>
        <source>電流をセット</source>
        <translation>Set the current</translation>
    </message>
    <message>
        <source>入力した値を確かめてデバイスに送ります</source>
        <translation>Checks the value entered and sends it to the device</translation>
    </message>
    <message>
        <source>出力のON/OFF</source>
        <translation>Output ON/OFF</translation>
    </message>
    <message>
        <source>デバイスの出力を切り替えます</source>
        <translation>Switches the device&apos;s output on or off</translation>
    </message>
    <message>
        <source>CSVの測定ログを開始または停止します</source>
        <translation>Starts or stops the CSV measurement log</translation>
    </message>
    <message>
        <source>設定のポートのデバイスに接続、または切断します</source>
        <translation>Connects to the device on the set port, or disconnects</translation>
    </message>
    <message>
        <source>ポート、履歴、システムログの設定を開きます</source>
        <translation>Opens the settings of the port, the history and the system log</translation>
    </message>
    <message>
        <source>操作とデバイスの出来事の記録</source>
        <translation>The record of actions and device events</translation>
    </message>
    <message>
        <source>デバイスのポート:comN、またはデバイスのパス</source>
        <translation>The device&apos;s port: comN, or a device path</translation>
    </message>
    <message>
        <source>com1～com32でデバイスを探します</source>
        <translation>Looks for the device on com1 to com32</translation>
    </message>
    <message>
        <source>起動したときデバイスに接続します</source>
        <translation>Connects to the device when the program starts</translation>
    </message>
    <message>
        <source>出力の履歴に表示する時間</source>
        <translation>How long the output history shows</translation>
    </message>
    <message>
        <source>システムログをファイルにも書きます</source>
        <translation>Writes the system log to a file as well</translation>
    </message>
    <message>
        <source>システムログのファイル名:相対名は設定と同じフォルダ</source>
        <translation>The system log&apos;s file: a relative name lies beside the settings</translation>
    </message>
    <message>
        <source>ファイルを選びます</source>
        <translation>Chooses a file</translation>
    </message>
    <message>
        <source>測定電流から分圧器に流れる電流を差し引きます</source>
        <translation>Subtracts the voltage divider&apos;s current from the measured current</translation>
    </message>
    <message>
        <source>設定を保存して閉じます</source>
        <translation>Stores the settings and closes the dialog</translation>
    </message>
    <message>
        <source>何もせずに閉じます</source>
        <translation>Closes the dialog and does nothing else</translation>
    </message>
    <message>
        <source>ダイアログを閉じます</source>
        <translation>Closes the dialog</translation>
    </message>
    <message>
        <source>ブートローダーのポート(設定のポート)</source>
        <translation>The boot-loader&apos;s port (the port of the settings)</translation>
    </message>
    <message>
        <source>書き込むファームウェアのHEXファイル</source>
        <translation>The firmware HEX file to write</translation>
    </message>
    <message>
        <source>デバイスのファームウェアを書き換えます</source>
        <translation>Replaces the device&apos;s firmware</translation>
    </message>
    <message>
        <source>ログを保存するフォルダ</source>
        <translation>The folder the log is saved in</translation>
    </message>
    <message>
        <source>フォルダの中のファイル</source>
        <translation>The files in the folder</translation>
    </message>
    <message>
        <source>ログのファイル名</source>
        <translation>The log&apos;s file name</translation>
    </message>
    <message>
        <source>表示するファイルの種類</source>
        <translation>The kind of files shown</translation>
    </message>
    <message>
        <source>このファイルにログを書きます</source>
        <translation>Writes the log to this file</translation>
    </message>
    <message>
        <source>測定値を書く間隔</source>
        <translation>How often a reading is written</translation>
    </message>
    <message>
        <source>既存のファイルを空にせず、後ろに書き足します</source>
        <translation>Adds to the end of an existing file instead of emptying it</translation>
    </message>
    <message>
        <source>計測ウィンドウのページ</source>
        <translation>The pages of the measurement window</translation>
    </message>
    <message>
        <source>接続してからリセットまでの値</source>
        <translation>The value since the connect or the last reset</translation>
    </message>
    <message>
        <source>積算値と統計を0からやり直します</source>
        <translation>Starts the counters and statistics again from zero</translation>
    </message>
    <message>
        <source>チェックすると、レベルを超えたとき出力をOFFします</source>
        <translation>When checked, the output goes OFF when a reading exceeds the level</translation>
    </message>
    <message>
        <source>この値を超えると保護が作動します</source>
        <translation>The protection trips above this value</translation>
    </message>
    <message>
        <source>作動した保護を解除します</source>
        <translation>Resets the tripped protection</translation>
    </message>
    <message>
        <source>過電流が続いてから作動するまでの秒数</source>
        <translation>Seconds of over-current before the protection trips</translation>
    </message>
    <message>
        <source>失ったデバイスに2秒ごとに接続し直します</source>
        <translation>Connects again to a lost device every 2 s</translation>
    </message>
    <message>
        <source>このページの設定を使い、保存します</source>
        <translation>Puts the settings of this page in force and stores them</translation>
    </message>
    <message>
        <source>この値を履歴に表示します</source>
        <translation>Shows this quantity in the history</translation>
    </message>
    <message>
        <source>2本のカーソルとその間の値を表示します</source>
        <translation>Shows two cursors and the values between them</translation>
    </message>
    <message>
        <source>履歴全体を表示します</source>
        <translation>Shows the whole history</translation>
    </message>
    <message>
        <source>最新の測定値を追って表示します</source>
        <translation>Follows the latest readings</translation>
    </message>
    <message>
        <source>CSVの測定ログを開いて表示します</source>
        <translation>Opens a CSV measurement log and shows it</translation>
    </message>
    <message>
        <source>このセッションの履歴に戻ります</source>
        <translation>Goes back to the history of this session</translation>
    </message>
    <message>
        <source>書き出しの形式</source>
        <translation>The form to export in</translation>
    </message>
    <message>
        <source>表示中の範囲を書き出します</source>
        <translation>Exports the range shown</translation>
    </message>
    <message>
        <source>表示中の履歴の出どころ</source>
        <translation>Where the history shown comes from</translation>
    </message>
    <message>
        <source>履歴のグラフ</source>
        <translation>History plot</translation>
    </message>
    <message>
        <source>電圧、電流、電力の時間変化。ホイールで拡大縮小、ドラッグで移動</source>
        <translation>Voltage, current and power over time; the wheel zooms, dragging pans</translation>
    </message>
    <message>
        <source>ポインタ位置の測定値</source>
        <translation>Reading under the pointer</translation>
    </message>
    <message>
        <source>カーソルAの測定値</source>
        <translation>Reading at cursor A</translation>
    </message>
    <message>
        <source>カーソルBの測定値</source>
        <translation>Reading at cursor B</translation>
    </message>
    <message>
        <source>カーソル間の値</source>
        <translation>Values between the cursors</translation>
    </message>
    <message>
        <source>時刻、電圧、電流、電力</source>
        <translation>Time, voltage, current and power</translation>
    </message>
    <message>
        <source>TCPのSCPI機器としてデバイスを提供します</source>
        <translation>Serves the supply as a SCPI instrument on TCP</translation>
    </message>
    <message>
        <source>待ち受けるアドレスとポート(ADDR:PORT)</source>
        <translation>The address and port to listen on (ADDR:PORT)</translation>
    </message>
    <message>
        <source>接続中のクライアントのアドレス</source>
        <translation>The addresses of the connected clients</translation>
    </message>
    <message>
        <source>積算電荷、電力量、出力ON時間と、電圧、電流、電力の統計</source>
        <translation>Charge, energy, output ON time and the statistics of voltage, current and power</translation>
    </message>
    <message>
        <source>出力をOFFにする保護と自動再接続</source>
        <translation>Protections that switch the output OFF, and automatic reconnection</translation>
    </message>
    <message>
        <source>セッションまたはログファイルの測定値のグラフ</source>
        <translation>The readings of the session or of a log file as a plot</translation>
    </message>
    <message>
        <source>SCPIのリモート制御</source>
        <translation>Remote control over SCPI</translation>
    </message>
    <message>
        <source>ファームウェアの更新</source>
        <translation>&amp;Firmware update...</translation>
    </message>
    <message>
        <source>シーケンス</source>
        <translation>Sequence</translation>
    </message>
    <message>
        <source>ステップのリストと充電プロファイルの実行</source>
        <translation>Runs step lists and charge profiles</translation>
    </message>
    <message>
        <source>%zu 行目: %s</source>
        <translation>Line %zu: %s</translation>
    </message>
    <message>
        <source>見出し行 volts,amps,seconds,ramp がありません</source>
        <translation>The header line volts,amps,seconds,ramp is missing</translation>
    </message>
    <message>
        <source>値の数が正しくありません</source>
        <translation>Wrong number of values</translation>
    </message>
    <message>
        <source>電圧は0～20の数値で指定してください</source>
        <translation>Enter a voltage from 0 to 20</translation>
    </message>
    <message>
        <source>電流は0～1の数値で指定してください</source>
        <translation>Enter a current from 0 to 1</translation>
    </message>
    <message>
        <source>時間は0.1～1000000の数値(秒)で指定してください</source>
        <translation>Enter a duration from 0.1 to 1000000 (seconds)</translation>
    </message>
    <message>
        <source>ランプは step または linear で指定してください</source>
        <translation>The ramp must be step or linear</translation>
    </message>
    <message>
        <source>ステップがありません</source>
        <translation>There are no steps</translation>
    </message>
    <message>
        <source>ステップは10000個までです</source>
        <translation>At most 10000 steps are allowed</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます</source>
        <translation>The file is too large</translation>
    </message>
    <message>
        <source>ファイルを開けません</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>ほか %zu 箇所</source>
        <translation>and %zu more</translation>
    </message>
    <message>
        <source>シーケンスファイル %s を読み込めません</source>
        <translation>Cannot load the sequence file %s</translation>
    </message>
    <message>
        <source>シーケンスファイル %s を読み込みました</source>
        <translation>Loaded the sequence file %s</translation>
    </message>
    <message>
        <source>シーケンスファイル %s に保存しました</source>
        <translation>Saved the sequence to %s</translation>
    </message>
    <message>
        <source>シーケンスファイル %s に保存できません</source>
        <translation>Cannot save the sequence to %s</translation>
    </message>
    <message>
        <source>ステップ %d は設定できません: %s</source>
        <translation>Step %d: %s</translation>
    </message>
    <message>
        <source>ステップ %d の %.2f 秒の点 %.2fV/%.3fA は設定できません: %s</source>
        <translation>Step %d, the point at %.2f s, %.2fV/%.3fA: %s</translation>
    </message>
    <message>
        <source>ステップ %d の時間は0.1～1000000秒で指定してください</source>
        <translation>Step %d: enter a duration from 0.1 to 1000000 s</translation>
    </message>
    <message>
        <source>繰り返し回数は1～1000000回で指定してください</source>
        <translation>Enter a repeat count from 1 to 1000000</translation>
    </message>
    <message>
        <source>停止条件の値が正しくありません</source>
        <translation>A stop condition has an invalid value</translation>
    </message>
    <message>
        <source>デバイスが接続されていないためシーケンスを開始できません</source>
        <translation>Cannot start the sequence: no device is connected</translation>
    </message>
    <message>
        <source>シーケンスの実行中は開始できません</source>
        <translation>Cannot start while a sequence is running</translation>
    </message>
    <message>
        <source>シーケンスを開始しました(%zu ステップ&#x3000;繰り返し %s)</source>
        <translation>Sequence started (%zu steps, repeat %s)</translation>
    </message>
    <message>
        <source>無限</source>
        <translation>endless</translation>
    </message>
    <message>
        <source>シーケンスを一時停止しました</source>
        <translation>Sequence paused</translation>
    </message>
    <message>
        <source>シーケンスを再開しました</source>
        <translation>Sequence resumed</translation>
    </message>
    <message>
        <source>シーケンスが完了しました</source>
        <translation>Sequence completed</translation>
    </message>
    <message>
        <source>シーケンスを中止しました</source>
        <translation>Sequence aborted</translation>
    </message>
    <message>
        <source>電流が %.3fA 未満のまま %g 秒経過したためシーケンスを終了しました</source>
        <translation>Sequence ended: current below %.3fA for %g s</translation>
    </message>
    <message>
        <source>電圧が %.2fV を超えたためシーケンスを終了しました</source>
        <translation>Sequence ended: voltage above %.2fV</translation>
    </message>
    <message>
        <source>経過時間が %s に達したためシーケンスを終了しました</source>
        <translation>Sequence ended: elapsed time reached %s</translation>
    </message>
    <message>
        <source>電荷が %sAh を超えたためシーケンスを終了しました</source>
        <translation>Sequence ended: charge above %sAh</translation>
    </message>
    <message>
        <source>デバイスと切断されたためシーケンスを中止しました</source>
        <translation>Sequence aborted: the device was lost</translation>
    </message>
    <message>
        <source>設定値を送信できないためシーケンスを中止しました</source>
        <translation>Sequence aborted: set-points could not be sent</translation>
    </message>
    <message>
        <source>保護が作動したためシーケンスを中止しました</source>
        <translation>Sequence aborted: a protection tripped</translation>
    </message>
    <message>
        <source>ウィンドウを閉じたためシーケンスを中止しました</source>
        <translation>Sequence aborted: the window was closed</translation>
    </message>
    <message>
        <source>シーケンスの開始で出力をONしました</source>
        <translation>Output switched ON at the start of the sequence</translation>
    </message>
    <message>
        <source>シーケンスの終了で出力をOFFしました</source>
        <translation>Output switched OFF at the end of the sequence</translation>
    </message>
    <message>
        <source>シーケンスの終了で出力をOFFできません(%s)</source>
        <translation>Cannot switch the output OFF at the end of the sequence (%s)</translation>
    </message>
    <message>
        <source>セル数は1～%dで指定してください</source>
        <translation>Enter a number of cells from 1 to %d</translation>
    </message>
    <message>
        <source>容量は10～100000mAhで指定してください</source>
        <translation>Enter a capacity from 10 to 100000 mAh</translation>
    </message>
    <message>
        <source>充電レートは0.01～10Cで指定してください</source>
        <translation>Enter a charge rate from 0.01 to 10 C</translation>
    </message>
    <message>
        <source>充電電流 %.3fA は0.001～1Aの範囲外です</source>
        <translation>Charge current %.3fA is outside 0.001 to 1 A</translation>
    </message>
    <message>
        <source>終止電流は0.001A以上で充電電流より小さくしてください</source>
        <translation>The termination current must be at least 0.001 A and below the charge current</translation>
    </message>
    <message>
        <source>最大時間は60～604800秒で指定してください</source>
        <translation>Enter a maximum time from 60 to 604800 s</translation>
    </message>
    <message>
        <source>充電を開始しました(%s&#x3000;%dセル&#x3000;%.2fV/%.3fA)</source>
        <translation>Charging started (%s, %d cells, %.2fV/%.3fA)</translation>
    </message>
    <message>
        <source>充電を終了しました(%s&#x3000;電荷 %.1fmAh&#x3000;電力量 %.3fWh&#x3000;時間 %s)</source>
        <translation>Charging ended (%s, charge %.1fmAh, energy %.3fWh, time %s)</translation>
    </message>
    <message>
        <source>終止電流に到達</source>
        <translation>termination current reached</translation>
    </message>
    <message>
        <source>最大時間に到達</source>
        <translation>maximum time reached</translation>
    </message>
    <message>
        <source>充電量に到達</source>
        <translation>charge reached</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Abort</translation>
    </message>
    <message>
        <source>デバイス切断</source>
        <translation>device lost</translation>
    </message>
    <message>
        <source>送信エラー</source>
        <translation>send error</translation>
    </message>
    <message>
        <source>保護作動</source>
        <translation>protection tripped</translation>
    </message>
    <message>
        <source>ウィンドウを閉じた</source>
        <translation>window closed</translation>
    </message>
    <message>
        <source>電圧上限</source>
        <translation>voltage limit reached</translation>
    </message>
    <message>
        <source>給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました</source>
        <translation>Sequence aborted: the power source changed and a setting still to come exceeds its power capacity</translation>
    </message>
    <message>
        <source>給電元の変化</source>
        <translation>power source changed</translation>
    </message>
    <message>
        <source>容量 %gmAh は充電レート %gC では充電電流が1Aを超えます(%gmAhまで)</source>
        <translation>A capacity of %g mAh at a rate of %g C needs more than 1 A (up to %g mAh)</translation>
    </message>
    <message>
        <source>容量 %gmAh では充電電流が0.002A未満です。充電レートは %gC 以上で指定してください</source>
        <translation>A capacity of %g mAh at this rate gives less than 0.002 A; give a rate of at least %g C</translation>
    </message>
    <message>
        <source>出力をONできないためシーケンスを中止しました</source>
        <translation>Sequence aborted: the output could not be switched on</translation>
    </message>
    <message>
        <source>シーケンスを開始しました(1 ステップ&#x3000;繰り返し %s)</source>
        <translation>Sequence started (1 step, repeat %s)</translation>
    </message>
    <message>
        <source>充電を開始しました(%s&#x3000;1セル&#x3000;%.2fV/%.3fA)</source>
        <translation>Charging started (%s, 1 cell, %.2fV/%.3fA)</translation>
    </message>
    <message>
        <source>電圧[V]</source>
        <translation>Voltage [V]</translation>
    </message>
    <message>
        <source>電流[A]</source>
        <translation>Current [A]</translation>
    </message>
    <message>
        <source>時間[秒]</source>
        <translation>Time [s]</translation>
    </message>
    <message>
        <source>直線ランプ</source>
        <translation>Linear ramp</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>読み込み...</source>
        <translation>Load...</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>繰り返し</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>回</source>
        <translation>times</translation>
    </message>
    <message>
        <source>停止条件</source>
        <translation>Stop conditions</translation>
    </message>
    <message>
        <source>電流が</source>
        <translation>End when current is below</translation>
    </message>
    <message>
        <source>A 未満のまま</source>
        <translation>A for</translation>
    </message>
    <message>
        <source>秒続いたら終了</source>
        <translation>s</translation>
    </message>
    <message>
        <source>電圧が</source>
        <translation>End when voltage is above</translation>
    </message>
    <message>
        <source>V を超えたら終了</source>
        <translation>V</translation>
    </message>
    <message>
        <source>経過時間</source>
        <translation>End after</translation>
    </message>
    <message>
        <source>秒で終了</source>
        <translation>s</translation>
    </message>
    <message>
        <source>電荷が</source>
        <translation>End when charge is above</translation>
    </message>
    <message>
        <source>Ah を超えたら終了</source>
        <translation>Ah</translation>
    </message>
    <message>
        <source>開始時に出力をONする</source>
        <translation>Switch the output ON at the start</translation>
    </message>
    <message>
        <source>終了後も出力をONのままにする</source>
        <translation>Leave the output ON after the end</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>再開</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>ステップ %d/%zu&#x3000;繰り返し %s&#x3000;残り %s</source>
        <translation>Step %d/%zu, round %s, %s left</translation>
    </message>
    <message>
        <source>一時停止中&#x3000;ステップ %d/%zu&#x3000;繰り返し %s&#x3000;残り %s</source>
        <translation>Paused, step %d/%zu, round %s, %s left</translation>
    </message>
    <message>
        <source>ステップ %d: %s</source>
        <translation>Step %d: %s</translation>
    </message>
    <message>
        <source>シーケンスを実行中です。中止してウィンドウを閉じますか?</source>
        <translation>A sequence is running. Abort it and close the window?</translation>
    </message>
    <message>
        <source>上限 %.1fW</source>
        <translation>Limit %.1fW</translation>
    </message>
    <message>
        <source>充電プロファイル</source>
        <translation>Charge profile</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Chemistry</translation>
    </message>
    <message>
        <source>セル数</source>
        <translation>Cells</translation>
    </message>
    <message>
        <source>容量[mAh]</source>
        <translation>Capacity [mAh]</translation>
    </message>
    <message>
        <source>充電レート[C]</source>
        <translation>Charge rate [C]</translation>
    </message>
    <message>
        <source>終止電流[A]</source>
        <translation>Termination current [A]</translation>
    </message>
    <message>
        <source>最大時間[秒]</source>
        <translation>Maximum time [s]</translation>
    </message>
    <message>
        <source>既定</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>充電開始</source>
        <translation>Start charging</translation>
    </message>
    <message>
        <source>ステップのリスト</source>
        <translation>Step list</translation>
    </message>
    <message>
        <source>各ステップの電圧、電流、時間、直線ランプ。ダブルクリックで編集</source>
        <translation>Each step's voltage, current, time and linear ramp; double-click to edit</translation>
    </message>
    <message>
        <source>ステップを追加します</source>
        <translation>Adds a step</translation>
    </message>
    <message>
        <source>選んだステップを削除します</source>
        <translation>Removes the selected step</translation>
    </message>
    <message>
        <source>選んだステップを一つ前に移します</source>
        <translation>Moves the selected step up</translation>
    </message>
    <message>
        <source>選んだステップを一つ後ろに移します</source>
        <translation>Moves the selected step down</translation>
    </message>
    <message>
        <source>CSVのシーケンスファイルからステップを読み込みます</source>
        <translation>Loads the steps from a CSV sequence file</translation>
    </message>
    <message>
        <source>ステップをCSVのシーケンスファイルに保存します</source>
        <translation>Saves the steps to a CSV sequence file</translation>
    </message>
    <message>
        <source>チェックすると、電流がレベル未満のまま続いたらシーケンスを終了します</source>
        <translation>When checked, the sequence ends when the current stays below the level</translation>
    </message>
    <message>
        <source>電流のレベル(A)</source>
        <translation>The current level (A)</translation>
    </message>
    <message>
        <source>電流がレベル未満のまま続く秒数</source>
        <translation>Seconds the current stays below the level</translation>
    </message>
    <message>
        <source>チェックすると、電圧がレベルを超えたらシーケンスを終了します</source>
        <translation>When checked, the sequence ends when the voltage exceeds the level</translation>
    </message>
    <message>
        <source>電圧のレベル(V)</source>
        <translation>The voltage level (V)</translation>
    </message>
    <message>
        <source>チェックすると、開始からこの時間でシーケンスを終了します</source>
        <translation>When checked, the sequence ends this long after its start</translation>
    </message>
    <message>
        <source>開始からの秒数</source>
        <translation>Seconds from the start</translation>
    </message>
    <message>
        <source>チェックすると、電荷がレベルを超えたらシーケンスを終了します</source>
        <translation>When checked, the sequence ends when the charge exceeds the level</translation>
    </message>
    <message>
        <source>電荷のレベル(Ah)</source>
        <translation>The charge level (Ah)</translation>
    </message>
    <message>
        <source>ステップのリストを実行する回数</source>
        <translation>How many times the step list runs</translation>
    </message>
    <message>
        <source>チェックすると、中止するまで繰り返します</source>
        <translation>When checked, the list repeats until it is aborted</translation>
    </message>
    <message>
        <source>シーケンスの開始で出力をONにします</source>
        <translation>Switches the output ON when the sequence starts</translation>
    </message>
    <message>
        <source>チェックしないと、シーケンスの終了で出力をOFFにします</source>
        <translation>Unless checked, the output goes OFF when the sequence ends</translation>
    </message>
    <message>
        <source>ステップを確かめてシーケンスを開始します</source>
        <translation>Checks the steps and starts the sequence</translation>
    </message>
    <message>
        <source>シーケンスを一時停止、または再開します</source>
        <translation>Pauses or resumes the sequence</translation>
    </message>
    <message>
        <source>シーケンスを中止します</source>
        <translation>Aborts the sequence</translation>
    </message>
    <message>
        <source>充電する電池の種類</source>
        <translation>The kind of battery to charge</translation>
    </message>
    <message>
        <source>直列につないだセルの数</source>
        <translation>The number of cells in series</translation>
    </message>
    <message>
        <source>電池の容量(mAh)</source>
        <translation>The battery's capacity (mAh)</translation>
    </message>
    <message>
        <source>充電電流を容量の倍数で。空欄は既定値</source>
        <translation>The charge current as a multiple of the capacity; empty for the default</translation>
    </message>
    <message>
        <source>充電を終える電流(A)。空欄は既定値</source>
        <translation>The current that ends the charge (A); empty for the default</translation>
    </message>
    <message>
        <source>充電を打ち切る時間(秒)。空欄は既定値</source>
        <translation>The time after which the charge stops (s); empty for the default</translation>
    </message>
    <message>
        <source>充電プロファイルを確かめて充電を開始します</source>
        <translation>Checks the charge profile and starts charging</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s が接続しました</source>
        <translation>HTTP client %s connected</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s が切断しました</source>
        <translation>HTTP client %s disconnected</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s を拒否しました(接続数が上限です)</source>
        <translation>HTTP client %s refused (too many connections)</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s を拒否しました(許可されていないアドレスです)</source>
        <translation>HTTP client %s refused (address not allowed)</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s を切断しました(イベントを受け取りません)</source>
        <translation>HTTP client %s dropped (not reading its events)</translation>
    </message>
    <message>
        <source>HTTPのクライアント %s を切断しました</source>
        <translation>HTTP client %s disconnected by the server</translation>
    </message>
    <message>
        <source>HTTPサーバーを %s で開始しました</source>
        <translation>HTTP server started on %s</translation>
    </message>
    <message>
        <source>HTTPサーバーを停止しました</source>
        <translation>HTTP server stopped</translation>
    </message>
    <message>
        <source>HTTPサーバーを %s で開始できません(%s)</source>
        <translation>Cannot start the HTTP server on %s (%s)</translation>
    </message>
    <message>
        <source>HTTPのトークンを作成できません</source>
        <translation>Cannot make the HTTP token</translation>
    </message>
    <message>
        <source>設定 [HTTP] %s の値が正しくないため既定値を使います</source>
        <translation>Setting [HTTP] %s is not valid; the default is used</translation>
    </message>
    <message>
        <source>シーケンスの実行中は変更できません</source>
        <translation>Cannot be changed while a sequence runs</translation>
    </message>
    <message>
        <source>HTTPサーバーを有効にする</source>
        <translation>Enable the HTTP server</translation>
    </message>
    <message>
        <source>HTTPの待ち受けアドレス</source>
        <translation>HTTP listen address</translation>
    </message>
    <message>
        <source>HTTPのトークン</source>
        <translation>HTTP token</translation>
    </message>
    <message>
        <source>HTTPの状態</source>
        <translation>HTTP state</translation>
    </message>
    <message>
        <source>ブラウザー、Prometheus、スクリプトからの接続を受け付けます</source>
        <translation>Accepts connections from browsers, Prometheus and scripts</translation>
    </message>
    <message>
        <source>設定を変える要求に必要なトークン(Authorization: Bearer)</source>
        <translation>The token that requests changing anything need (Authorization: Bearer)</translation>
    </message>
    <message>
        <source>デバイス接続中</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>デバイスと切断されました　再接続中</source>
        <translation>Device lost, reconnecting</translation>
    </message>
    <message>
        <source>サーバーと通信できません　再接続中</source>
        <translation>Server unreachable, reconnecting</translation>
    </message>
    <message>
        <source>出力 ON</source>
        <translation>Output ON</translation>
    </message>
    <message>
        <source>出力 OFF</source>
        <translation>Output OFF</translation>
    </message>
    <message>
        <source>読み取り専用です。操作するにはトークンを入力してください</source>
        <translation>Read only: enter the token to operate</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>消去</source>
        <translation>Forget</translation>
    </message>
    <message>
        <source>トークンが正しくありません</source>
        <translation>The token is not accepted</translation>
    </message>
    <message>
        <source>直近10分</source>
        <translation>Last 10 minutes</translation>
    </message>
    <message>
        <source>積算値</source>
        <translation>Totals</translation>
    </message>
    <message>
        <source>MQTTブローカー %s に接続しました</source>
        <translation>Connected to the MQTT broker %s</translation>
    </message>
    <message>
        <source>MQTTブローカー %s との接続が切れました(%s)。再接続します</source>
        <translation>Lost the MQTT broker %s (%s); reconnecting</translation>
    </message>
    <message>
        <source>MQTTブローカー %s が接続を拒否しました(%s)</source>
        <translation>The MQTT broker %s refused the connection (%s)</translation>
    </message>
    <message>
        <source>同じクライアントID %s の別のクライアントがMQTTの接続を引き継ぎました</source>
        <translation>Another client with the id %s took the MQTT connection over</translation>
    </message>
    <message>
        <source>MQTTを開始できません(%s)</source>
        <translation>Cannot start MQTT (%s)</translation>
    </message>
    <message>
        <source>MQTTを停止しました</source>
        <translation>MQTT stopped</translation>
    </message>
    <message>
        <source>MQTTからの制御が、匿名または暗号化されていないブローカーで有効になっています</source>
        <translation>Control over MQTT is allowed on an anonymous or unencrypted broker</translation>
    </message>
    <message>
        <source>保持されていたMQTTのコマンド %s を無視しました</source>
        <translation>Ignored the retained MQTT command %s</translation>
    </message>
    <message>
        <source>MQTTのコマンド %s を拒否しました(%s)</source>
        <translation>Refused the MQTT command %s (%s)</translation>
    </message>
    <message>
        <source>MQTTからの制御は許可されていません(Control=0)</source>
        <translation>Control over MQTT is not allowed (Control=0)</translation>
    </message>
    <message>
        <source>MQTTブローカーからエンティティと状態を削除しました</source>
        <translation>Removed the entities and the state from the MQTT broker</translation>
    </message>
    <message>
        <source>MQTTブローカーが削除を受け取りませんでした</source>
        <translation>The MQTT broker did not take the removal</translation>
    </message>
    <message>
        <source>設定 [MQTT] %s の値が正しくないため既定値を使います</source>
        <translation>The value of [MQTT] %s in the settings is not valid; the default is used</translation>
    </message>
    <message>
        <source>MQTTを有効にする</source>
        <translation>Enable MQTT</translation>
    </message>
    <message>
        <source>MQTTブローカー</source>
        <translation>MQTT broker</translation>
    </message>
    <message>
        <source>MQTTのノードID</source>
        <translation>MQTT node id</translation>
    </message>
    <message>
        <source>Home Assistantの自動検出</source>
        <translation>Home Assistant discovery</translation>
    </message>
    <message>
        <source>MQTTからの制御を許可する</source>
        <translation>Allow control over MQTT</translation>
    </message>
    <message>
        <source>MQTTの状態</source>
        <translation>MQTT state</translation>
    </message>
    <message>
        <source>接続中</source>
        <translation>connected</translation>
    </message>
    <message>
        <source>接続待ち</source>
        <translation>waiting for the broker</translation>
    </message>
    <message>
        <source>状態とイベントをMQTTブローカーに送ります</source>
        <translation>Publishes the state and the events to the MQTT broker</translation>
    </message>
    <message>
        <source>mqtt://[ユーザー@]ホスト[:ポート] または mqtts://...</source>
        <translation>mqtt://[user@]host[:port] or mqtts://...</translation>
    </message>
    <message>
        <source>トピックに入るこの電源の名前(空欄: ホスト名とポート名から作ります)</source>
        <translation>The supply's name in the topics (empty: made from the host and the port)</translation>
    </message>
    <message>
        <source>Home Assistantがこの電源を自動的に見つけられるようにします</source>
        <translation>Lets Home Assistant find this supply by itself</translation>
    </message>
    <message>
        <source>ブローカーからの出力と設定値の変更を受け付けます</source>
        <translation>Takes changes of the output and the set-points from the broker</translation>
    </message>
</context>
</TS>
