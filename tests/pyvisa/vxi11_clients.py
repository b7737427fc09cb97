#!/usr/bin/python3
"""quorelctl serve on the simulated supply over VXI-11, found through the portmapper and
driven by clients nobody here wrote: rpcbind and rpcinfo, lxi-tools, and pyvisa with its
pure-Python back-end; and announced on the network through a D-Bus and an Avahi daemon of the
test's own, found by avahi-browse and lxi discover. Everything runs inside network and mount namespaces of its own
(unshare -n -m, a tmpfs on /run, only the loopback interface up), so no packet leaves the
machine and the host's rpcbind and /run are never touched.

usage: vxi11_clients.py QUORELCTL QUOREL-SIM [QUOREL]
Exits 77 (skipped) where it cannot run: not root, no namespaces, a program missing."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

PATIENCE_S = 10
CORE_PROGRAM = "395183"  # 0x0607AF


def skip(why):
    print(f"SKIPPED: {why}")
    sys.exit(77)


def wait_for(what, condition):
    end = time.monotonic() + PATIENCE_S
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError(f"no {what} within {PATIENCE_S} s")


def stop(process):
    """Ends a daemon of the test by its PID: SIGTERM, then SIGKILL if it lingers."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def outside():
    if os.geteuid() != 0:
        skip("needs root for the network and mount namespaces")
    for program in ("unshare", "rpcbind", "rpcinfo", "lxi", "ip"):
        if not shutil.which(program) and not os.path.exists(f"/usr/sbin/{program}"):
            skip(f"{program} is not installed (apt-get install rpcbind lxi-tools iproute2)")
    try:
        import pyvisa  # noqa: F401
        import pyvisa_py  # noqa: F401
    except ImportError as missing:
        skip(f"{missing.name} is not installed (apt-get install python3-pyvisa python3-pyvisa-py)")
    probe = subprocess.run(["unshare", "-n", "-m", "true"], capture_output=True)
    if probe.returncode != 0:
        skip("namespaces are not available here: " + probe.stderr.decode(errors="replace"))
    os.execvp("unshare", ["unshare", "-n", "-m", sys.executable, __file__, "--inside"] +
              sys.argv[1:])


def prepare_namespace():
    subprocess.run(["mount", "--make-rprivate", "/"], check=True)
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/run"], check=True)
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)


def own_program(folder):
    """A copy beside no Quorel.ini, so that no settings of the build folder apply."""
    global PROGRAM
    PROGRAM = shutil.copy(QUORELCTL, folder)


class Serve:
    """A simulated supply and quorelctl serve on it, in a folder of their own."""

    def __init__(self, folder, name, *options):
        self.folder = folder
        link = os.path.join(folder, name)
        self.simulator = subprocess.Popen([SIMULATOR, "--link", link], stdin=subprocess.PIPE,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("simulated supply", lambda: os.path.exists(link))
        self.messages = os.path.join(folder, name + ".err")
        with open(self.messages, "w") as err:
            self.process = subprocess.Popen(
                [PROGRAM, "serve", "--port", link, "--listen", "127.0.0.1:0", *options],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
        ready = re.compile(r"^vxi11 on 127\.0\.0\.1:(\d+)\nlistening on 127\.0\.0\.1:(\d+)$", re.M)
        try:
            lines = wait_for("start-up lines", lambda: ready.search(self.read()))
            self.vxi11_port, self.raw_port = lines[1], lines[2]
        except AssertionError as e:
            raise AssertionError(f"{e}; quorelctl said:\n{self.read()}") from None

    def read(self):
        with open(self.messages, encoding="utf-8", errors="replace") as f:
            return f.read()

    def end(self):
        stop(self.process)
        stop(self.simulator)


def registrations():
    listing = subprocess.run(["rpcinfo", "-p"], capture_output=True, text=True, timeout=10)
    return [line.split() for line in listing.stdout.splitlines()
            if line.split()[:1] == [CORE_PROGRAM]]


class Vxi11Clients(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="qvx", dir="/tmp")
        cls.addClassCleanup(shutil.rmtree, cls.folder)
        rpcbind = shutil.which("rpcbind") or "/usr/sbin/rpcbind"
        cls.rpcbind = subprocess.Popen([rpcbind, "-f"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        cls.addClassCleanup(stop, cls.rpcbind)
        wait_for("rpcbind", lambda: subprocess.run(["rpcinfo", "-p"], capture_output=True)
                 .returncode == 0)
        own_program(cls.folder)
        cls.serve = Serve(cls.folder, "psu")
        cls.addClassCleanup(cls.serve.end)
        import pyvisa
        cls.manager = pyvisa.ResourceManager("@py")
        cls.addClassCleanup(cls.manager.close)

    def open(self):
        supply = self.manager.open_resource("TCPIP::127.0.0.1::INSTR", read_termination="\n",
                                            write_termination="\n", timeout=5000)
        self.addCleanup(supply.close)
        return supply

    def test_portmapper_lists_vxi11_and_a_second_serve_leaves_it_alone(self):
        self.assertIn(["395183", "1", "tcp", self.serve.vxi11_port], registrations())
        second = Serve(self.folder, "psu2")
        try:
            self.assertIn("別のプログラム", second.read())
        finally:
            second.end()
        self.assertEqual(second.process.returncode, 0)
        self.assertIn(["395183", "1", "tcp", self.serve.vxi11_port], registrations())

    def test_lxi_asks_for_the_identity(self):
        out = subprocess.run(["lxi", "scpi", "-a", "127.0.0.1", "*IDN?"], capture_output=True,
                             text=True, timeout=20)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertRegex(out.stdout, r"Quorel,[^,]+,\d+,\d")

    def test_pyvisa_drives_setpoints_output_readings_and_errors(self):
        supply = self.open()
        self.assertTrue(supply.query("*IDN?").startswith("Quorel,"))
        supply.write("VOLT 5.5;:CURR 0.25")
        self.assertEqual(float(supply.query("VOLT?")), 5.5)
        self.assertEqual(float(supply.query("CURR?")), 0.25)
        supply.write("OUTP ON")
        self.assertEqual(supply.query("OUTP?"), "1")
        wait_for("voltage reading", lambda: abs(float(supply.query("MEAS:VOLT?")) - 5.5) < 0.2)
        supply.write("OUTP OFF")
        supply.write("NO:SUCH:COMMAND")
        self.assertTrue(supply.query("SYST:ERR?").startswith("-113,"))
        self.assertEqual(supply.query("SYST:ERR?"), '0,"No error"')

    def test_pyvisa_lock_of_another_link_and_read_timeout(self):
        import pyvisa
        holder, other = self.open(), self.open()
        holder.lock_excl()
        other.timeout = 1000
        with self.assertRaises(pyvisa.VisaIOError):
            other.query("*IDN?")
        holder.unlock()
        self.assertTrue(other.query("*IDN?").startswith("Quorel,"))
        other.timeout = 700
        start = time.monotonic()
        with self.assertRaises(pyvisa.VisaIOError) as raised:
            other.read()
        self.assertEqual(raised.exception.error_code, pyvisa.constants.StatusCode.error_timeout)
        self.assertGreaterEqual(time.monotonic() - start, 0.6)
        self.assertTrue(holder.query("*OPC?") == "1")

    def test_python_driver_over_vxi11_and_the_raw_socket(self):
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                        "python"))
        from quorel import Quorel, QuorelError
        for resource in ("TCPIP::127.0.0.1::INSTR",
                         f"TCPIP::127.0.0.1::{self.serve.raw_port}::SOCKET"):
            with self.subTest(resource=resource):
                supply = Quorel(resource)
                self.addCleanup(supply.adapter.connection.close)
                supply.reset_counters()
                supply.voltage_setpoint, supply.current_limit = 4.5, 0.2
                self.assertEqual((supply.voltage_setpoint, supply.current_limit), (4.5, 0.2))
                supply.output_enabled = True
                self.assertIs(supply.output_enabled, True)
                wait_for("voltage", lambda: abs(supply.voltage - 4.5) < 0.2)
                self.assertIn(supply.mode, ("CV", "CC"))
                self.assertIn(supply.power_source, ("USB", "ADAPTER", "IDLE"))
                self.assertGreaterEqual(supply.power, 0)
                self.assertGreaterEqual(supply.charge + supply.energy, 0)
                supply.voltage_protection_level = 3.0
                supply.voltage_protection_enabled = True
                wait_for("a trip", lambda: supply.voltage_protection_tripped)
                self.assertIs(supply.output_enabled, False)
                # Switching on with a trip latched is refused by the supply, not by Python.
                with self.assertRaises(QuorelError) as refused:
                    supply.output_enabled = True
                self.assertEqual(refused.exception.code, -221)
                self.assertIn("Settings conflict", refused.exception.text)
                supply.clear_voltage_protection()
                supply.voltage_protection_enabled = False
                self.assertIs(supply.voltage_protection_tripped, False)
                for protection in ("current", "power"):
                    setattr(supply, protection + "_protection_enabled", False)
                    self.assertIs(getattr(supply, protection + "_protection_tripped"), False)
                # 20 V at 1 A is beyond the power of either source: the supply says so.
                supply.current_limit = 0.05
                supply.voltage_setpoint = 20
                with self.assertRaises(QuorelError) as beyond:
                    supply.current_limit = 1
                self.assertEqual(beyond.exception.code, -221)
                self.assertEqual(supply.current_limit, 0.05)
                with self.assertRaises(ValueError):
                    supply.voltage_setpoint = 21
                self.assertEqual(supply.check_errors(), [])

    @classmethod
    def tearDownClass(cls):
        # serve ends on SIGTERM and takes its registration with it.
        cls.manager.close()
        stop(cls.serve.process)
        assert cls.serve.process.returncode == 0, cls.serve.read()
        assert registrations() == [], registrations()


def program(name):
    return shutil.which(name) or next(
        (p for p in (f"/usr/sbin/{name}", f"/usr/bin/{name}") if os.path.exists(p)), None)


def browse(service):
    """avahi-browse's resolved entries of the service type: {instance: (port, txt)}."""
    out = subprocess.run(["avahi-browse", "-rpt", service], capture_output=True, text=True,
                         timeout=20).stdout
    found = {}
    for line in out.splitlines():
        fields = line.split(";")
        if fields[0] == "=" and len(fields) >= 10:
            name = re.sub(r"\\(\d{3})", lambda m: chr(int(m[1])), fields[3])
            found[name] = (int(fields[8]), re.findall(r'"([^"]*)"', fields[9]))
    return found


class Discovery(unittest.TestCase):
    """serve --announce with the system's responder: a D-Bus system bus and an Avahi daemon
    that publishes on the loopback interface only."""

    @classmethod
    def setUpClass(cls):
        dbus, avahi = program("dbus-daemon"), program("avahi-daemon")
        if not (dbus and avahi and program("avahi-browse")):
            raise unittest.SkipTest("SKIPPED: needs dbus-daemon, avahi-daemon and avahi-browse "
                                    "(apt-get install dbus-daemon avahi-daemon avahi-utils)")
        cls.folder = tempfile.mkdtemp(prefix="qmd", dir="/tmp")
        cls.addClassCleanup(shutil.rmtree, cls.folder)
        os.makedirs("/run/dbus", exist_ok=True)
        os.makedirs("/run/avahi-daemon", exist_ok=True)
        cls.dbus = subprocess.Popen([dbus, "--system", "--nofork", "--nopidfile"],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        cls.addClassCleanup(stop, cls.dbus)
        wait_for("system bus", lambda: os.path.exists("/run/dbus/system_bus_socket"))
        config = os.path.join(cls.folder, "avahi-daemon.conf")
        with open(config, "w") as f:
            f.write("[server]\nhost-name=quorel-test\nuse-ipv6=no\nallow-interfaces=lo\n"
                    "ratelimit-burst=1000\n[wide-area]\nenable-wide-area=no\n"
                    "[publish]\npublish-hinfo=no\npublish-workstation=no\n")
        cls.avahi = subprocess.Popen([avahi, "--no-drop-root", "--no-chroot", "--no-rlimits",
                                      "-f", config], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        cls.addClassCleanup(stop, cls.avahi)
        wait_for("Avahi daemon", lambda: subprocess.run(
            ["avahi-browse", "-at"], capture_output=True, timeout=10).returncode == 0)
        own_program(cls.folder)
        cls.serve = Serve(cls.folder, "psu", "--announce")
        cls.addClassCleanup(cls.serve.end)
        wait_for("announcement", lambda: "「Quorel」として公開しました" in cls.serve.read())

    def test_avahi_browse_finds_the_raw_socket_with_the_identification(self):
        port, txt = wait_for("_scpi-raw._tcp", lambda: browse("_scpi-raw._tcp").get("Quorel"))
        self.assertRegex(self.serve.read(), rf"listening on 127\.0\.0\.1:{port}\n")
        self.assertIn("txtvers=1", txt)
        self.assertIn("Manufacturer=Quorel", txt)
        for key in ("Model", "SerialNumber", "FirmwareVersion"):
            self.assertTrue(any(t.startswith(key + "=") and len(t) > len(key) + 1 for t in txt),
                            f"{key} missing in {txt}")
        vxi11 = wait_for("_vxi-11._tcp", lambda: browse("_vxi-11._tcp").get("Quorel"))
        self.assertEqual(str(vxi11[0]), self.serve.vxi11_port)

    def test_lxi_discover_finds_the_supply(self):
        out = subprocess.run(["lxi", "discover", "-m"], capture_output=True, text=True,
                             timeout=30)
        self.assertIn('Found "Quorel" on address 127.0.0.1', out.stdout)
        self.assertIn(f"vxi-11 service on port {self.serve.vxi11_port}", out.stdout)

    def test_a_second_supply_takes_another_name_and_takes_it_back_when_it_ends(self):
        second = Serve(self.folder, "psu2", "--announce")
        try:
            wait_for("second announcement",
                     lambda: "「Quorel #2」として公開しました" in second.read())
            self.assertIn("「Quorel」はネットワーク上で使われているため", second.read())
            wait_for("second supply", lambda: "Quorel #2" in browse("_scpi-raw._tcp"))
        finally:
            second.end()
        wait_for("withdrawal", lambda: "Quorel #2" not in browse("_scpi-raw._tcp"))
        self.assertIn("Quorel", browse("_scpi-raw._tcp"))

    def test_the_panel_announces_its_http_server_beside_its_remote_control(self):
        if not PANEL:
            self.skipTest("the panel is not built")
        folder = tempfile.mkdtemp(prefix="qpn", dir=self.folder)
        os.makedirs(os.path.join(folder, "ports"))
        link = os.path.join(folder, "ports", "com3")
        simulator = subprocess.Popen([SIMULATOR, "--link", link], stdin=subprocess.PIPE,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(stop, simulator)
        wait_for("simulated supply", lambda: os.path.exists(link))
        with open(os.path.join(folder, "Quorel.ini"), "w") as f:
            f.write("[QUOREL]\nComPort=com3\nConnectAtStart=1\n"
                    "[REMOTE]\nEnabled=1\nListen=127.0.0.1:0\nAnnounce=1\nVxi11=0\n"
                    "[HTTP]\nEnabled=1\nListen=127.0.0.1:0\n")
        panel = subprocess.Popen([shutil.copy(PANEL, folder)], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        self.addCleanup(stop, panel)
        # The panel shares the host's instance name with serve's: its own is the renamed one.
        def panels(service):
            return {n: v for n, v in browse(service).items() if n != "Quorel"}
        http = wait_for("the panel's _http._tcp", lambda: panels("_http._tcp"))
        name, (port, _) = next(iter(http.items()))
        self.assertIn(name, panels("_scpi-raw._tcp"))
        self.assertEqual(panels("_lxi._tcp")[name][0], port)
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/lxi/identification",
                                    timeout=10) as reply:
            self.assertIn(b"InstrumentAddressString", reply.read())
        stop(panel)
        wait_for("the panel's withdrawal", lambda: not panels("_http._tcp"))


if __name__ == "__main__":
    if "--inside" not in sys.argv:
        outside()
    sys.argv.remove("--inside")
    prepare_namespace()
    QUORELCTL, SIMULATOR = sys.argv[1], sys.argv[2]
    PANEL = sys.argv[3] if len(sys.argv) > 3 else None
    PROGRAM = QUORELCTL
    unittest.main(argv=sys.argv[:1], verbosity=2)
