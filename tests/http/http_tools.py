#!/usr/bin/python3
"""quorelctl serve --http against quorel-sim, checked by the outside tools: promtool on the
metrics (values compared with the simulator's), xmllint with the schema of tests/http on the
identification document. Everything on 127.0.0.1; the simulator and the server are stopped by
their PIDs. Exit 77 (skipped) when a tool is missing.

usage: http_tools.py QUORELCTL QUOREL_SIM metrics|identification
"""
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.request

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from sim_rig import SimFolder, stop, wait_for  # noqa: E402


class Rig(SimFolder):
    """The simulator linked into a scratch folder and a copy of quorelctl serving it."""

    def __init__(self, quorelctl, sim):
        super().__init__(quorelctl, sim, "quorel-http-")
        program = self.program
        self.err = open(os.path.join(self.dir, "err"), "w+")
        self.serve = subprocess.Popen(
            [program, "serve", "--port", self.link, "--listen", "127.0.0.1:0",
             "--http", "127.0.0.1:0"], stdout=subprocess.DEVNULL, stderr=self.err)
        text = wait_for(lambda: self.read_err() if "listening on" in self.read_err() else None)
        if not text:
            raise RuntimeError("serve did not start:\n" + self.read_err())
        self.base = "http://" + re.search(r"http on (127\.0\.0\.1:\d+)", text).group(1)
        self.token = re.search(r"http token ([0-9a-f]+)", text).group(1)

    def read_err(self):
        with open(self.err.name) as f:
            return f.read()

    def get(self, path):
        with urllib.request.urlopen(self.base + path, timeout=5) as r:
            return r.read().decode()

    def put(self, path, body):
        req = urllib.request.Request(self.base + path, data=json.dumps(body).encode(), method="PUT",
                                     headers={"Authorization": "Bearer " + self.token})
        with urllib.request.urlopen(req, timeout=5) as r:
            return r.status

    def close(self):
        stop(self.serve, 5)
        self.err.close()
        super().close()


def metric(text, name):
    m = re.search("^" + re.escape(name) + r" (\S+)$", text, re.M)
    return float(m.group(1)) if m else None


def check_metrics(rig):
    promtool = shutil.which("promtool")
    if not promtool:
        print("promtool is missing (Debian package prometheus): skipped")
        return SKIP
    # 5 V into 25 ohms: 0.2 A, 1 W, in constant voltage.
    rig.sim_says("load 25")
    assert rig.put("/api/v1/setpoints", {"volts": 5.0, "amps": 0.5}) == 200
    assert rig.put("/api/v1/output", {"on": True}) == 200
    text = wait_for(lambda: (lambda t: t if metric(t, "quorel_output_current_amperes") and
                             metric(t, "quorel_output_current_amperes") > 0.1 else None)(
                                 rig.get("/metrics")))
    assert text, "the output's current never showed"
    check = subprocess.run([promtool, "check", "metrics"], input=text, text=True,
                           capture_output=True)
    print(check.stdout + check.stderr, end="")
    if check.returncode != 0:
        print("promtool refused the metrics:\n" + text)
        return 1
    expected = {"quorel_output_voltage_volts": 5.0, "quorel_voltage_setpoint_volts": 5.0,
                "quorel_current_limit_amperes": 0.5, "quorel_output_enabled": 1,
                "quorel_constant_current": 0, "quorel_device_connected": 1}
    failed = 0
    for name, want in expected.items():
        got = metric(text, name)
        if got is None or abs(got - want) > 1e-9:
            print(f"{name}: {got}, the simulator has {want}")
            failed = 1
    amps = metric(text, "quorel_output_current_amperes")
    if abs(amps - 0.2) > 0.003:
        print(f"current {amps} A, the simulator drives 0.2 A")
        failed = 1
    return failed


def check_identification(rig):
    xmllint = shutil.which("xmllint")
    if not xmllint:
        print("xmllint is missing (Debian package libxml2-utils): skipped")
        return SKIP
    xml = rig.get("/lxi/identification")
    path = os.path.join(rig.dir, "identification.xml")
    with open(path, "w") as f:
        f.write(xml)
    check = subprocess.run([xmllint, "--noout", "--schema",
                            os.path.join(HERE, "LXIIdentification.xsd"), path],
                           capture_output=True, text=True)
    print(check.stdout + check.stderr, end="")
    if check.returncode != 0:
        print(xml)
        return 1
    scpi = re.search(r"listening on 127\.0\.0\.1:(\d+)", rig.read_err()).group(1)
    if f"<InstrumentAddressString>TCPIP::127.0.0.1::{scpi}::SOCKET<" not in xml:
        print("the raw socket's address string is missing:\n" + xml)
        return 1
    return 0


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    quorelctl, sim, mode = sys.argv[1:]
    checks = {"metrics": check_metrics, "identification": check_identification}
    rig = Rig(quorelctl, sim)
    try:
        return checks[mode](rig)
    finally:
        rig.close()


if __name__ == "__main__":
    sys.exit(main())
