// quorel-sim: the simulated power supply on a pseudo-terminal, driven from a terminal.
#include "simulator/SimulatedSupply.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}

const char* usage =
    "usage: quorel-sim [--link PATH] [--boot] [--help]\n"
    "Prints the port it answers on, then takes commands on standard input:\n"
    "  load OHMS            resistive load (0: none)\n"
    "  source U|A|X         USB host, AC adapter, adapter idle\n"
    "  version TEXT         firmware version text\n"
    "  setpoint V A         set-points as if set at the device\n"
    "  output on|off        switch the output at the device\n"
    "  noise on|off         +-1 step on the readings\n"
    "  cell N EMPTY FULL MAH OHMS SOC%  a charging cell of N in series on the output\n"
    "                       (EMPTY, FULL: volts per cell; cell off: the load again)\n"
    "  timescale K          the cell's time runs K times faster\n"
    "  silent on|off        receive but never answer\n"
    "  syncignore K         leave the first K synchronisations unanswered\n"
    "  delay MS             every reply this late\n"
    "  split on|off [MS]    replies one byte at a time\n"
    "  junk BEFORE [AFTER]  bytes around every reply (- for none)\n"
    "  refuse LETTERS       answer these commands with NG (- for none)\n"
    "  erasedelay MS        the boot-loader's erase takes this long\n"
    "  unplugon LETTER [mid] unplug when that command arrives\n"
    "  unplug               pull the cable\n"
    "  replug main|boot     plug in as main firmware or boot-loader\n"
    "  show                 state, port and the last bytes received\n"
    "  quit\n";

bool flag(const std::string& word) {
    return word == "on" || word == "1" || word == "yes";
}
std::string dash(const std::string& s) {
    return s == "-" ? std::string() : s;
}

bool execute(sim::SimulatedSupply& supply, const std::string& line) {
    std::istringstream in(line);
    std::string cmd;
    in >> cmd;
    if (cmd.empty())
        return true;
    std::string a, b;
    in >> a >> b;
    if (cmd == "cell" && a != "off") {
        // The rest of the line: empty and full volts, capacity, resistance, state of charge.
        sim::CellModel c;
        double soc = -1;
        c.cells = std::atoi(a.c_str());
        c.emptyVolts = std::atof(b.c_str());
        if (!(in >> c.fullVolts >> c.capacityMah >> c.internalOhms >> soc) || c.cells < 1 ||
            !(c.fullVolts > c.emptyVolts) || !(c.emptyVolts >= 0) || !(c.capacityMah > 0) ||
            !(c.internalOhms > 0) || !(soc >= 0 && soc <= 100)) {
            std::cout
                << "cell N EMPTY FULL MAH OHMS SOC%: N from 1, FULL above EMPTY, MAH and OHMS "
                   "above 0, SOC 0 to 100\n";
            return true;
        }
        c.stateOfCharge = soc / 100.0;
        supply.setCell(c);
        return true;
    }
    if (cmd == "quit" || cmd == "exit")
        return false;
    if (cmd == "load") {
        supply.setLoadOhms(std::atof(a.c_str()));
    } else if (cmd == "source") {
        supply.setSourceLetter(a.empty() ? 'A' : a[0]);
    } else if (cmd == "version") {
        supply.setVersion(a);
    } else if (cmd == "setpoint") {
        supply.setSetpoint(std::atof(a.c_str()), std::atof(b.c_str()));
    } else if (cmd == "output") {
        supply.setOutput(flag(a));
    } else if (cmd == "noise") {
        supply.setNoise(flag(a));
    } else if (cmd == "cell") {
        supply.removeCell();
    } else if (cmd == "timescale") {
        supply.setTimeScale(std::atof(a.c_str()));
    } else if (cmd == "silent") {
        supply.setSilent(flag(a));
    } else if (cmd == "syncignore") {
        supply.setSyncIgnored(std::atoi(a.c_str()));
    } else if (cmd == "delay") {
        supply.setReplyDelayMs(std::atoi(a.c_str()));
    } else if (cmd == "split") {
        supply.setSplitReplies(flag(a), b.empty() ? 15 : std::atoi(b.c_str()));
    } else if (cmd == "junk") {
        supply.setJunk(dash(a), dash(b));
    } else if (cmd == "refuse") {
        supply.setRefused(dash(a));
    } else if (cmd == "erasedelay") {
        supply.setEraseDelayMs(std::atoi(a.c_str()));
    } else if (cmd == "unplugon") {
        supply.setUnplugOn(a.empty() ? 0 : a[0], b == "mid");
    } else if (cmd == "unplug") {
        supply.unplug();
    } else if (cmd == "replug") {
        supply.replug(a == "boot" ? sim::Mode::BootLoader : sim::Mode::MainFirmware);
        std::cout << "port " << supply.portPath() << std::endl;
    } else if (cmd == "show") {
        std::string text = supply.receivedText();
        if (text.size() > 60)
            text = text.substr(text.size() - 60);
        std::cout << "port " << (supply.plugged() ? supply.portPath() : "(unplugged)") << "\n"
                  << "mode " << (supply.mode() == sim::Mode::MainFirmware ? "main" : "boot")
                  << "\nstatus " << supply.statusText() << "\nreceived " << text << std::endl;
        if (const auto cell = supply.cell())
            std::cout << "cell " << cell->stateOfCharge * 100.0 << " % charged, "
                      << supply.cellChargedMah() << " mAh taken" << std::endl;
    } else {
        std::cout << "unknown command\n" << usage;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string link;
    sim::Mode mode = sim::Mode::MainFirmware;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--link") == 0 && i + 1 < argc) {
            link = argv[++i];
        } else if (std::strcmp(argv[i], "--boot") == 0) {
            mode = sim::Mode::BootLoader;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << usage;
            return 0;
        } else {
            std::cerr << usage;
            return 2;
        }
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    sim::SimulatedSupply supply;
    if (!supply.start(mode)) {
        std::cerr << "quorel-sim: cannot open a pseudo-terminal\n";
        return 1;
    }
    if (!link.empty() && !supply.linkAs(link)) {
        std::cerr << "quorel-sim: cannot create the link " << link << "\n";
        return 1;
    }
    std::cout << "port " << supply.portPath() << std::endl;

    std::string line;
    while (!stopRequested && std::getline(std::cin, line)) {
        if (!execute(supply, line))
            return 0;
    }
    // Without a terminal on standard input the device stays plugged in until stopped.
    while (!stopRequested)
        pause();
    return 0;
}
