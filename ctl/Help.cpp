#include "ctl/Help.h"

#include "ctl/ExitCode.h"

#include <cstdio>
#include <map>

namespace ctl {

namespace {

const char* const overview =
    "usage: quorelctl COMMAND [OPTIONS]\n"
    "\n"
    "Drives the Quorel power supply from a shell, with the rules of the Quorel panel.\n"
    "\n"
    "commands:\n"
    "  scan                      find the port where the supply answers (com1 to com32)\n"
    "  info                      port, firmware, set-points, source, output, mode, readings\n"
    "  status                    one reading, or one every interval (--watch)\n"
    "  set VOLTS AMPS            send new set-points, checked as the panel checks them\n"
    "  on, off                   switch the output and check that the device followed\n"
    "  log FILE                  write the CSV measurement log until stopped\n"
    "  monitor                   readings, counters and protections, a summary at the end\n"
    "  serve                     the supply as a SCPI instrument on a TCP port until stopped\n"
    "  update FILE.hex           replace the firmware through the boot-loader\n"
    "  run FILE.csv              run a step list: set-points, durations, ramps, repeats\n"
    "  charge                    charge a battery: Li-ion/LiPo, LiFePO4 or NiMH\n"
    "  help [COMMAND]            this text, or a command's\n"
    "\n"
    "options of every command that connects:\n"
    "  --port NAME    \"comN\" or a device path; otherwise ComPort of Quorel.ini (beside the\n"
    "                 executable, or in ~/.config/quorel once installed), otherwise com1\n"
    "  --lang ja|en   the language of the messages (also auto: the system's); otherwise\n"
    "                 Language of section [DISPLAY] in Quorel.ini, otherwise ja\n"
    "  --help, -h     the command's help\n"
    "\n"
    "Numbers are plain decimals (5, 0.25), as set takes them: no sign, exponent or\n"
    "hexadecimal. Every option may be given once.\n"
    "\n"
    "Messages go to standard error, results to standard output. While UseSysLogFile is on in\n"
    "Quorel.ini, set, on, off, log, run and charge write their lines to the panel's\n"
    "system-log file.\n"
    "\n"
    "SIGHUP (a closed terminal), SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,\n"
    "SIGXCPU, SIGXFSZ, SIGPWR and the real-time signals end a command as SIGTERM does (a\n"
    "run or a charge switches the output off first); one ignored at the start (nohup) stays\n"
    "ignored. A closed pipe does not end a command: standard output that cannot be written\n"
    "is said on standard error (exit 34). Ctrl-Z is refused while a run, a charge or a\n"
    "client's step list goes, since a stopped program watches nothing.\n"
    "\n";

const std::map<std::string, const char*>& commandTexts() {
    static const std::map<std::string, const char*> t = {
        {"scan", "usage: quorelctl scan\n"
                 "\n"
                 "Tries com1 to com32 in order, as the settings dialog's SCAN does, and prints\n"
                 "the first port where the supply answers. Exit 1 when none answers.\n"},
        {"info", "usage: quorelctl info [--port NAME]\n"
                 "\n"
                 "Connects as the panel's connect button does and prints the port, the\n"
                 "firmware version, the set-points, the power source, the output state, the\n"
                 "regulation mode and the measured voltage and current.\n"},
        {"status",
         "usage: quorelctl status [--port NAME] [--watch SECONDS] [--count N] [--csv | --json]\n"
         "\n"
         "Prints one reading. --watch takes one every SECONDS until stopped (Ctrl-C, SIGTERM)\n"
         "or until --count readings; --count alone takes N readings a second apart.\n"
         "--csv prints the measurement log's line, --json one JSON object per line.\n"
         "With OffsetAtt on, the current is corrected for the voltage divider as in the\n"
         "panel.\n"},
        {"set",
         "usage: quorelctl set VOLTS AMPS [--port NAME] [--derive-current | --derive-voltage]\n"
         "\n"
         "Checks the pair as the panel's set buttons do: at most 20 V, at most 1 A, and at\n"
         "most the power the present source allows (1.5 W from the USB host, 6.0 W from\n"
         "the AC adapter); the voltage goes to its 0.02 V grid, truncated. A rejected pair\n"
         "is not sent. --derive-current replaces AMPS by the capacity divided by the\n"
         "voltage (at most 1 A); --derive-voltage leads with the current and replaces\n"
         "VOLTS by the capacity divided by the current (at most 20 V). VOLTS and AMPS are\n"
         "numbers of digits with at most one point (5, 0.25, .5).\n"},
        {"on", "usage: quorelctl on [--port NAME]\n"
               "\n"
               "Switches the output on, reads the status back, exit 24 if it is still off.\n"},
        {"off", "usage: quorelctl off [--port NAME]\n"
                "\n"
                "Switches the output off, reads the status back, exit 24 if it is still on.\n"},
        {"log", "usage: quorelctl log FILE [--port NAME] [--interval 1s|10s|1m|10m|1h] [--append]\n"
                "                     [--duration SECONDS]\n"
                "\n"
                "Polls every 500 ms and writes a CSV line whenever the interval (default 1s) has\n"
                "passed, in the panel's format: YY/MM/DD HH:MM:SS,set V,set A,OFF|CV|CC,V,A.\n"
                "Without --append an existing FILE is emptied. Runs until --duration ends or\n"
                "until SIGINT or SIGTERM; every line is complete and on disk as it is written.\n"},
        {"monitor",
         "usage: quorelctl monitor [--port NAME] [--duration S] [--interval S] [--ovp V]\n"
         "                         [--ocp A] [--ocp-delay S] [--opp W] [--reconnect]\n"
         "                         [--csv FILE] [--json]\n"
         "\n"
         "Polls every 500 ms through the measurement session and prints a reading every\n"
         "--interval seconds (default 1, at least 0.5, the poll period) until --duration\n"
         "ends or until SIGINT or SIGTERM;\n"
         "then a summary: elapsed time, charge (Ah), energy (Wh), output-on time, and the\n"
         "smallest, largest and time-weighted mean voltage, current and power, with every\n"
         "trip. --ovp, --ocp and --opp switch the output off as soon as a reading exceeds\n"
         "the level (the current after --ocp-delay seconds over it, 0 to 3600, with --ocp\n"
         "only); exit 25 then. A trip's switch-off the device does not confirm is said as\n"
         "such and sent again at every poll; while a trip is latched an output found on is\n"
         "switched off again. Still not confirmed at the end after 5 s of tries: exit 24,\n"
         "the output may be ON.\n"
         "--reconnect waits for a lost device and connects again every 2 s; without it a\n"
         "lost device ends the command. --csv writes the measurement log (emptied first)\n"
         "at the interval in whole seconds. --json prints readings as JSON lines and the\n"
         "summary as one JSON object on the last line: elapsed_s, charge_Ah, energy_Wh,\n"
         "output_on_s, readings, voltage/current/power {min,max,avg}, trips [{kind,level,\n"
         "value,time}]. The last reading is taken at the end of --duration; the summary spans\n"
         "the first reading to the last (elapsed_s and output_on_s to the millisecond,\n"
         "charge and energy to 1e-9), and the output-on time counts from the moment the\n"
         "output was switched on, or found on by a poll.\n"},
        {"serve",
         "usage: quorelctl serve [--listen ADDR:PORT] [--port NAME] [--allow CIDR[,CIDR...]]\n"
         "                       [--log FILE.csv [--interval 1s|10s|1m|10m|1h]]\n"
         "                       [--http ADDR:PORT [--new-token]]\n"
         "                       [--no-vxi11 | --vxi11-port PORT] [--announce]\n"
         "                       [--mqtt mqtt[s]://[USER@]HOST[:PORT] [MQTT options]]\n"
         "\n"
         "Serves the supply as a SCPI instrument on raw TCP (default 127.0.0.1:5025; port 0\n"
         "takes a free one) until SIGINT or SIGTERM; docs/SCPI.md lists the commands. When\n"
         "ready it prints one line \"listening on ADDR:PORT\" with the real port on standard\n"
         "error. Polls every 500 ms through the measurement session (counters, protections)\n"
         "and connects again every 2 s to a lost device; queries of the device fail with\n"
         "-241 meanwhile. --allow lets in only clients of those networks (192.168.1.0/24,\n"
         "10.0.0.7); at most 16 clients at once. An address other hosts can reach (not\n"
         "127.x.x.x) needs an allow list, else serve refuses to start (exit 2); --allow\n"
         "0.0.0.0/0 lets any host in, knowingly. What the options leave out comes from\n"
         "Listen and Allow of [REMOTE] in Quorel.ini. Clients arriving and leaving, and\n"
         "what they do to the supply, go to the system log and standard error with their\n"
         "address.\n"
         "--log writes the CSV measurement log (emptied first) at the interval (default 1s).\n"
         "Exit 41 when the address cannot be listened on.\n"
         "--http ADDR:PORT also serves HTTP (Linux; docs/HTTP.md): /metrics, /api/v1/...,\n"
         "/events, /lxi/identification; it prints \"http on ADDR:PORT\" and the token before\n"
         "\"listening on\". --new-token makes a new bearer token (settings folder,\n"
         "http-token).\n"
         "GET / is a live page for a browser, read-only until its token is entered.\n"
         "VXI-11 (TCPIP::host::INSTR, Linux only) is served too, on the same address and a\n"
         "port the system picks (--vxi11-port names one; --no-vxi11: none), registered with\n"
         "the portmapper (rpcbind) while serve runs; \"vxi11 on ADDR:PORT\" is printed before\n"
         "the listening line. Links count as clients.\n"
         "On an address other hosts reach, or with --announce (or Announce=1 in [REMOTE]),\n"
         "serve is announced on the local network by DNS-SD (Linux, through the Avahi\n"
         "daemon): _scpi-raw._tcp, _vxi-11._tcp, and _lxi._tcp and _http._tcp with --http.\n"
         "--mqtt URL publishes to an MQTT broker (Linux; docs/MQTT.md): QUOREL/NODE/\n"
         "availability, device, state (each --mqtt-interval S, default 1, and on changes),\n"
         "event and error, and Home Assistant discovery under --mqtt-discovery-prefix P\n"
         "(default homeassistant; --no-mqtt-discovery: none). --mqtt-base TOPIC (default\n"
         "quorel), --mqtt-node ID (default: host and port names). The password comes from\n"
         "--mqtt-password-file FILE or QUOREL_MQTT_PASSWORD, never the command line;\n"
         "mqtts:// checks the broker against --mqtt-ca FILE (else the system's store),\n"
         "--mqtt-cert/--mqtt-key give a client certificate. --mqtt-control lets\n"
         "NODE/set/output, voltage, current and reset_counters change the supply through\n"
         "the panel's rules (retained commands are ignored). --mqtt-remove only empties\n"
         "the node's retained topics on the broker and exits (42 when not acknowledged\n"
         "within 5 s; 42 too when MQTT cannot start).\n"},
        {"update", "usage: quorelctl update FILE.hex [--port NAME]\n"
                   "\n"
                   "Replaces the firmware: reads the whole file, connects to the boot-loader,\n"
                   "erases the flash and writes the 384 blocks (about 35 seconds), then ends the\n"
                   "boot-loader so the main firmware starts. A missing or malformed file (a bad\n"
                   "line or checksum, no end-of-file record), or one without a program for the\n"
                   "range the boot-loader writes, never touches the device. Start the boot-loader\n"
                   "first: unplug every cable and wait ten seconds, then hold the OUTPUT switch\n"
                   "while plugging in the USB cable until the green CV lamp blinks.\n"},
        {"run",
         "usage: quorelctl run FILE.csv [--port NAME] [--repeat N|inf] [--on] [--keep-on]\n"
         "                     [--stop-below A [--stop-below-for S]] [--stop-above V]\n"
         "                     [--stop-after S] [--stop-charge AH]\n"
         "                     [--log FILE.csv [--interval 1s|10s|1m|10m|1h]] [--dry-run]\n"
         "\n"
         "Runs the steps of FILE.csv (header volts,amps,seconds,ramp; ramp step or linear,\n"
         "step when left out; # starts a comment). Every step and every point of a linear ramp\n"
         "is checked first against the set-point rules and the power of the present source;\n"
         "the first one refused is named and nothing is sent (exit 26). A bad line of the file\n"
         "is named with its number and nothing runs (exit 32). Steps are timed from the start\n"
         "on the monotonic clock, so no delay adds up; a linear ramp is set every 0.25 to 0.5 s.\n"
         "--repeat runs the list N times (inf: until stopped). --on switches the output on\n"
         "after the first step's set-points; the end of the last step switches it off unless\n"
         "--keep-on (a stop condition, an abort or a failure always does).\n"
         "Stop conditions end the run early: the current below A for S seconds (default 10,\n"
         "readings with the output on only), the voltage above V, S seconds after the start,\n"
         "more than AH ampere-hours taken. --log writes the measurement log meanwhile.\n"
         "A line of progress every second: step, round, time left in the step, V, A, state;\n"
         "at the end \"ended: REASON elapsed H:MM:SS charge AH energy WH\". SIGINT or SIGTERM\n"
         "aborts with the output off (exit 27). A switch-off the device does not confirm\n"
         "(\"NG\", no answer) is said as such and tried again every 500 ms for 5 s, a second\n"
         "signal notwithstanding; still not confirmed, the command says that the output may\n"
         "be ON and exits 24, however the run ended. --dry-run prints the plan against the\n"
         "connected supply and sends nothing.\n"
         "A device lost during the run is looked for every 2 s for 60 s; found, its output is\n"
         "switched off first. The exit code is then the lost device's.\n"
         "SIGHUP and the other signals that would end the program abort as SIGTERM does;\n"
         "Ctrl-Z is refused while the run goes. A log line that cannot be written (exit 33)\n"
         "or standard output that goes away (| head -1: exit 34) ends the run with the\n"
         "output off. A folder, FIFO or socket as --log is refused before the device is\n"
         "contacted (exit 31). When the power source changes meanwhile, the rest of the run\n"
         "is checked against the new one at once: a step or ramp point still to come (the\n"
         "running one included) that it refuses is named, and the run ends with the output\n"
         "off before it is sent (\"ended: source-refused\", exit 26).\n"},
        {"charge",
         "usage: quorelctl charge --chemistry li-ion|lifepo4|nimh --cells N --capacity MAH\n"
         "                        [--rate C] [--max-time S] [--termination A] [--port NAME]\n"
         "                        [--log FILE.csv [--interval ...]] [--dry-run]\n"
         "\n"
         "Charges N cells in series of MAH milliampere-hours at --rate times the capacity per\n"
         "hour (default 0.5, NiMH 0.1), at most 1 A and within 20 V. Li-ion/LiPo (4.20 V a cell)\n"
         "and LiFePO4 (3.60 V a cell) take constant current, then constant voltage until the\n"
         "current stays below --termination (default a tenth of the charge current, at least\n"
         "0.001 A) for 10 s, so their charge current is at least 0.002 A; NiMH takes constant\n"
         "current (at most 1.60 V a cell) until 1.4 times its capacity has gone in, and takes\n"
         "no --termination. Every charge ends at --max-time seconds at the latest (default\n"
         "1.5/rate + 1 hours, NiMH 1.75/rate hours). The output is switched on at the start\n"
         "and off at the end,\n"
         "and a summary (why it ended, charge, energy, time) goes to the system log. A charge\n"
         "the present source cannot supply (2 cells at 1 A from the USB host) is refused before\n"
         "anything is sent (exit 26). Progress, the end line, SIGINT and a change of source\n"
         "as for run.\n"},
        {"help", "usage: quorelctl help [COMMAND]\n"},
    };
    return t;
}

} // namespace

std::string exitCodeHelp() {
    struct Row {
        int code;
        const char* meaning;
    };
    static const Row rows[] = {
        {Success, "success"},
        {NotFound, "scan: no supply answers on com1 to com32"},
        {Usage, "usage: unknown command or option, missing or malformed value"},
        {DeviceOpenFailed, "the port cannot be opened (missing, or held by another program)"},
        {DeviceLinkError, "a write or read on the port failed"},
        {DeviceBadReply, "the device gave a wrong reply or none"},
        {DeviceNotConnected, "no link was open"},
        {VoltageRejected, "set: voltage above 20 V; nothing sent"},
        {CurrentRejected, "set: current above 1 A; nothing sent"},
        {PowerRejected, "set: power above the present source's capacity; nothing sent"},
        {OutputNotFollowed, "on/off: the output did not switch; run, charge, monitor, serve: not "
                            "confirmed off at the end after 5 s of tries, may be ON"},
        {ProtectionTripped, "monitor, run, charge: a protection switched the output off"},
        {SequenceRefused, "run, charge: refused before the start (nothing sent), or after a "
                          "change of source; output off"},
        {SequenceAborted, "run, charge: stopped by SIGINT or SIGTERM; output switched off"},
        {FileCannotOpen, "the log file, the HEX file or the step file cannot be opened"},
        {FileMalformed, "the HEX or step file is malformed (or holds no program); device not "
                        "contacted"},
        {FileWriteFailed, "a log line could not be written; the log ended"},
        {StandardOutputFailed, "standard output could not be written (a full disk, a closed "
                               "pipe); a run or charge ended with the output off"},
        {ListenFailed, "serve: the address cannot be listened on"},
        {MqttFailed, "serve: MQTT cannot start, or the broker missed --mqtt-remove"},
    };
    std::string text = "exit codes:\n";
    char line[160];
    for (const Row& r : rows) {
        std::snprintf(line, sizeof line, "  %3d  %s\n", r.code, r.meaning);
        text += line;
    }
    text += "  The update reports a failed connect, erase or block with the code of the\n"
            "  boot-loader's result (11 to 14).\n";
    return text;
}

std::string overviewHelp() {
    return overview + exitCodeHelp();
}

std::string commandHelp(const std::string& command) {
    auto it = commandTexts().find(command);
    if (it == commandTexts().end())
        return overviewHelp();
    return std::string(it->second) + "\n" + exitCodeHelp();
}

} // namespace ctl
