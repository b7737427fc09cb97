#!/usr/bin/python3
"""quorelctl serve on the simulated supply, driven by a client nobody here wrote: pyvisa
with its pure-Python back-end, as Debian ships them, over a raw socket resource.

usage: serve_with_pyvisa.py QUORELCTL QUOREL-SIM
Exits 77 (skipped) when pyvisa or its back-end is not installed."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

try:
    import pyvisa
    import pyvisa_py  # noqa: F401  the back-end "@py" needs it
except ImportError as missing:
    print(f"SKIPPED: {missing.name} is not installed "
          "(apt-get install python3-pyvisa python3-pyvisa-py)")
    sys.exit(77)

QUORELCTL, SIMULATOR = sys.argv[1], sys.argv[2]
PATIENCE_S = 10


def wait_for(what, condition):
    end = time.monotonic() + PATIENCE_S
    while time.monotonic() < end:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    raise AssertionError(f"no {what} within {PATIENCE_S} s")


class ServeDrivenByPyvisa(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A short path: a port name holds at most 31 characters.
        cls.folder = tempfile.mkdtemp(prefix="qpv", dir="/tmp")
        cls.addClassCleanup(shutil.rmtree, cls.folder)
        link = os.path.join(cls.folder, "psu")
        cls.simulator = subprocess.Popen([SIMULATOR, "--link", link], stdin=subprocess.PIPE,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                         text=True)
        cls.addClassCleanup(cls.end, cls.simulator)
        wait_for("simulated supply", lambda: os.path.exists(link))
        # A copy beside no Quorel.ini, so that no settings of the build folder apply.
        program = shutil.copy(QUORELCTL, cls.folder)
        cls.messages = os.path.join(cls.folder, "serve.err")
        with open(cls.messages, "w") as err:
            cls.serve = subprocess.Popen(
                [program, "serve", "--port", link, "--listen", "127.0.0.1:0"],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
        cls.addClassCleanup(cls.end, cls.serve)
        ready = re.compile(r"^listening on 127\.0\.0\.1:(\d+)$", re.M)
        try:
            port = wait_for("listening line", lambda: ready.search(cls.read_messages()))[1]
        except AssertionError as e:
            raise AssertionError(f"{e}; quorelctl said:\n{cls.read_messages()}") from None
        cls.manager = pyvisa.ResourceManager("@py")
        cls.addClassCleanup(cls.manager.close)
        cls.supply = cls.manager.open_resource(
            f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n",
            write_termination="\n", timeout=5000)
        cls.addClassCleanup(cls.supply.close)

    @staticmethod
    def end(process):
        if process.poll() is None:
            process.kill()
            process.wait()

    @classmethod
    def tearDownClass(cls):
        # Ends cleanly on the signal, before the clean-ups take the rest away.
        cls.supply.close()
        cls.serve.send_signal(signal.SIGTERM)
        status = cls.serve.wait(PATIENCE_S)
        cls.simulator.communicate("quit\n", timeout=PATIENCE_S)
        if status != 0:
            raise AssertionError(f"serve ended with {status}")

    @classmethod
    def read_messages(cls):
        with open(cls.messages, encoding="utf-8") as err:
            return err.read()

    def simulate(self, command):
        self.simulator.stdin.write(command + "\n")
        self.simulator.stdin.flush()

    def setUp(self):
        self.simulate("load 50")
        self.supply.write("*RST;*CLS")
        self.assertEqual(self.supply.query("*OPC?"), "1")

    def test_identifies_itself_sets_switches_and_measures(self):
        self.assertEqual(self.supply.query("*IDN?"), "Quorel,QUOREL,0,1.02")
        self.supply.write("APPL 5,0.1")
        self.assertEqual(self.supply.query("APPL?"), "5.00,0.100")
        self.supply.write("VOLT 580 mV")
        self.assertEqual(self.supply.query("VOLT?"), "0.58")
        self.supply.write("VOLT 5;:OUTP ON")
        self.assertEqual(self.supply.query("OUTP?"), "1")
        volts, amps = self.supply.query_ascii_values("MEAS:VOLT?;CURR?", separator=";")
        self.assertAlmostEqual(volts, 5.0)
        self.assertAlmostEqual(amps, 0.1)  # 5 V into 50 ohm would be 0.1 A: the limit
        self.assertIn(self.supply.query("OUTP:MODE?"), ("CV", "CC"))
        self.assertAlmostEqual(float(self.supply.query("MEAS:POW?")), volts * amps, places=3)
        self.supply.write("OUTP OFF")
        self.assertEqual(self.supply.query("OUTP?;:OUTP:MODE?"), "0;OFF")
        self.assertIn("リモート 127.0.0.1:", self.read_messages())

    def test_errors_queue_until_read(self):
        self.supply.write("APPL 5,0.5")
        self.supply.write("VOLT 25")
        self.supply.write("NO:SUCH:THING")
        self.supply.write("APPL 12,0.6")  # 7.2 W: beyond the adapter's 6 W
        self.assertEqual(self.supply.query("SYST:ERR?"), '-222,"Data out of range"')
        self.assertEqual(self.supply.query("SYST:ERR?"), '-113,"Undefined header"')
        self.assertEqual(self.supply.query("SYST:ERR?"), '-221,"Settings conflict"')
        self.assertEqual(self.supply.query("SYST:ERR?"), '0,"No error"')
        self.assertEqual(self.supply.query("APPL?"), "5.00,0.500")

    def test_protection_trips_and_holds_the_output_off_until_cleared(self):
        self.simulate("load 10")  # 5 V / 0.5 A into 10 ohm: 0.5 A in CV
        self.supply.write("APPL 5,0.5;:CURR:PROT:LEV 0.2;STAT ON;:OUTP ON")
        wait_for("trip", lambda: self.supply.query("CURR:PROT:TRIP?") == "1")
        self.assertEqual(self.supply.query("OUTP?"), "0")
        self.supply.write("OUTP ON")
        self.assertEqual(self.supply.query("SYST:ERR?"),
                         '-221,"Settings conflict;refused in the present state"')
        self.supply.write("CURR:PROT:STAT OFF;CLE;:OUTP ON")
        self.assertEqual(self.supply.query("CURR:PROT:TRIP?;:OUTP?"), "0;1")

    def test_step_lists_run_step_by_step_and_refuse_a_bad_step(self):
        self.supply.write("LIST:VOLT 1,2,12;:LIST:CURR 0.1,0.1,0.6;:LIST:DWEL 0.5,0.5,0.5")
        self.supply.write("INIT")  # 7.2 W in step 3: nothing may be sent
        self.assertEqual(self.supply.query("SYST:ERR?"), '-221,"Settings conflict;step 3"')
        self.assertEqual(self.supply.query("LIST:STEP?"), "0")
        self.supply.write("LIST:VOLT 1,2,3;:LIST:CURR 0.1,0.1,0.1;:LIST:DWEL 0.5,0.5,0.5;"
                          ":OUTP ON;:INIT")
        self.assertEqual(self.supply.query("SYST:ERR?"), '0,"No error"')
        wait_for("step 2", lambda: self.supply.query("LIST:STEP?") == "2")
        self.assertEqual(self.supply.query("VOLT?"), "2.00")
        wait_for("the end", lambda: self.supply.query("LIST:STEP?") == "0")
        self.assertEqual(self.supply.query("VOLT?;:OUTP?"), "3.00;0")
        self.supply.write("LIST:COUN INF;:OUTP ON;:INIT")
        wait_for("a running list", lambda: self.supply.query("LIST:STEP?") != "0")
        self.supply.write("ABOR")
        self.assertEqual(self.supply.query("LIST:STEP?;:OUTP?"), "0;1")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
