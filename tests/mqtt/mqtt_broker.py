#!/usr/bin/python3
"""quorelctl serve --mqtt against a real broker: Debian's mosquitto started here on 127.0.0.1
with a free port, quorel-sim as the supply, paho-mqtt and mosquitto_passwd/openssl as the
outside tools. Every daemon is stopped by its PID; nothing leaves 127.0.0.1. Exit 77
(skipped) when a tool is missing.

usage: mqtt_broker.py QUORELCTL QUOREL_SIM discovery|lifecycle|control|tls
"""
import datetime
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

SKIP = 77

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from sim_rig import SimFolder, stop, wait_for  # noqa: E402

try:
    import paho.mqtt.client as paho
except ImportError:
    paho = None


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    """mosquitto on 127.0.0.1, its configuration written here; `user root` lets it read the
    files the test made."""

    def __init__(self, folder, extra=""):
        self.folder = folder
        self.port = free_port()
        self.extra = extra
        self.process = None
        self.start()

    def start(self):
        conf = os.path.join(self.folder, "mosquitto.conf")
        with open(conf, "w") as f:
            f.write(f"user root\npersistence false\nlistener {self.port} 127.0.0.1\n"
                    + (self.extra or "allow_anonymous true\n"))
        self.log = open(os.path.join(self.folder, "mosquitto.log"), "a")
        self.process = subprocess.Popen(["mosquitto", "-c", conf], stdout=self.log,
                                        stderr=subprocess.STDOUT)

        def accepting():
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return True
            except OSError:
                return False
        if not wait_for(accepting, 5):
            raise RuntimeError("mosquitto did not start")

    def stop(self):
        stop(self.process)
        self.log.close()


class Watcher:
    """A subscriber that keeps every message it receives."""

    def __init__(self, port, topic="#", **tls):
        self.messages = []
        self.lock = threading.Lock()
        self.client = paho.Client(client_id=f"watcher-{os.getpid()}-{time.monotonic_ns()}")
        if tls:
            self.client.tls_set(ca_certs=tls["ca"])
            self.client.username_pw_set(tls["user"], tls["password"])
        self.client.on_message = self.received
        self.client.on_connect = lambda c, u, f, rc: c.subscribe(topic, 1)
        self.client.connect(tls.get("host", "127.0.0.1"), port, 30)
        self.client.loop_start()

    def received(self, client, userdata, m):
        with self.lock:
            self.messages.append((m.topic, m.payload, bool(m.retain), time.monotonic(),
                                  time.time()))

    def seen(self, topic, payload=None, since=0.0):
        with self.lock:
            return [m for m in self.messages if m[0] == topic and m[3] >= since and
                    (payload is None or m[1] == payload)]

    def last_json(self, topic, since=0.0):
        found = [m for m in self.seen(topic, since=since) if m[1]]
        return json.loads(found[-1][1]) if found else None

    def publish(self, topic, payload, retain=False):
        self.client.publish(topic, payload, qos=1, retain=retain).wait_for_publish(5)

    def close(self):
        self.client.loop_stop()
        self.client.disconnect()


def retained_now(port, pattern, seconds=1.0):
    """What the broker keeps under the pattern: a fresh subscriber's retained messages."""
    w = Watcher(port, pattern)
    time.sleep(seconds)
    w.close()
    return {m[0]: m[1] for m in w.messages if m[2] and m[1]}


class Rig(SimFolder):
    """The simulator and a copy of quorelctl serving it with MQTT."""

    def __init__(self, quorelctl, sim):
        super().__init__(quorelctl, sim, "quorel-mqtt-")
        self.programs = (quorelctl, sim)
        self.serve = None
        self.errs = 0

    def start(self, *mqtt):
        self.errs += 1
        self.err_path = os.path.join(self.dir, f"err{self.errs}")
        self.err = open(self.err_path, "w")
        self.serve = subprocess.Popen(
            [self.program, "--lang", "en", "serve", "--port", self.link, "--listen",
             "127.0.0.1:0", "--no-vxi11", *mqtt], stdout=subprocess.DEVNULL, stderr=self.err)
        if not wait_for(lambda: "listening on" in self.read_err()):
            raise RuntimeError("serve did not start:\n" + self.read_err())

    def read_err(self):
        with open(self.err_path) as f:
            return f.read()

    def stop_serve(self, sig=signal.SIGTERM):
        """Ends serve; at SIGTERM it must end cleanly (under the sanitizers too)."""
        if self.serve and self.serve.poll() is None:
            os.kill(self.serve.pid, sig)
            self.serve.wait(10)
        self.err.close()
        if sig == signal.SIGTERM and (self.serve.returncode != 0 or
                                      "Sanitizer" in self.read_err()):
            raise RuntimeError(f"serve ended with {self.serve.returncode}:\n" + self.read_err())

    def close(self):
        stop(self.serve)
        super().close()


def expect(condition, what, failures):
    if not condition:
        print("FAILED: " + what)
        failures.append(what)
    return condition


# --- Home Assistant's own rules for what discovery may say, from its documentation of the
# sensor, binary sensor, number, switch and button entities; written here, not taken from the
# program. A sensor's device class admits these units; energy is a total, never a
# measurement; an enum sensor has options and neither unit nor state class.
SENSOR_UNITS = {
    "voltage": {"V", "mV", "µV", "kV", "MV"},
    "current": {"A", "mA"},
    "power": {"W", "kW", "MW", "GW", "TW", "mW"},
    "energy": {"Wh", "kWh", "MWh", "GWh", "TWh", "MJ", "GJ", "mWh"},
}
STATE_CLASSES = {"measurement", "total", "total_increasing"}
ENERGY_STATE_CLASSES = {"total", "total_increasing"}
BINARY_SENSOR_CLASSES = {"battery", "battery_charging", "carbon_monoxide", "cold",
                         "connectivity", "door", "garage_door", "gas", "heat", "light", "lock",
                         "moisture", "motion", "moving", "occupancy", "opening", "plug",
                         "power", "presence", "problem", "running", "safety", "smoke", "sound",
                         "tamper", "update", "vibration", "window"}
NUMBER_UNITS = SENSOR_UNITS
COMMON_KEYS = {"name", "unique_id", "object_id", "device", "origin", "availability",
               "availability_mode"}
COMPONENT_KEYS = {
    "sensor": {"state_topic", "value_template", "unit_of_measurement", "device_class",
               "state_class", "options"},
    "binary_sensor": {"state_topic", "value_template", "device_class", "payload_on",
                      "payload_off"},
    "switch": {"state_topic", "value_template", "command_topic", "payload_on", "payload_off"},
    "number": {"state_topic", "value_template", "command_topic", "device_class",
               "unit_of_measurement", "min", "max", "step", "mode"},
    "button": {"command_topic", "payload_press"},
}


def valid_by_home_assistant(component, c):
    """The reasons a configuration breaks Home Assistant's rules; empty when it keeps them."""
    bad = []
    extra = set(c) - COMMON_KEYS - COMPONENT_KEYS[component]
    if extra:
        bad.append(f"keys {component} does not know: {sorted(extra)}")
    for key in ("name", "unique_id", "device"):
        if key not in c:
            bad.append(f"no {key}")
    dc, unit, sc = c.get("device_class"), c.get("unit_of_measurement"), c.get("state_class")
    if component == "sensor":
        if dc == "enum":
            if not c.get("options") or unit is not None or sc is not None:
                bad.append("an enum sensor has options and no unit or state class")
        elif "options" in c:
            bad.append("options belong to an enum sensor")
        if dc in SENSOR_UNITS and unit not in SENSOR_UNITS[dc]:
            bad.append(f"{unit} is no unit of {dc}")
        if dc not in SENSOR_UNITS and dc not in (None, "enum"):
            bad.append(f"unexpected device class {dc}")
        if sc is not None and sc not in STATE_CLASSES:
            bad.append(f"no state class {sc}")
        if dc == "energy" and sc not in ENERGY_STATE_CLASSES:
            bad.append("energy is a total")
    if component == "binary_sensor" and dc not in BINARY_SENSOR_CLASSES:
        bad.append(f"no binary sensor class {dc}")
    if component == "number":
        if dc in NUMBER_UNITS and unit not in NUMBER_UNITS[dc]:
            bad.append(f"{unit} is no unit of {dc}")
        if not (c.get("min", 0) < c.get("max", 100)) or c.get("step", 1) <= 0:
            bad.append("min, max, step out of order")
        if c.get("mode") not in (None, "auto", "box", "slider"):
            bad.append("no number mode " + str(c.get("mode")))
    if c.get("availability_mode") not in (None, "all", "any", "latest"):
        bad.append("no availability mode " + str(c.get("availability_mode")))
    return bad


MONITORS = {("sensor", o) for o in ("voltage", "current", "power", "energy", "charge", "mode",
                                     "source")} | {("binary_sensor", "tripped"),
                                                   ("binary_sensor", "connected")}
CONTROLS = {("switch", "output"), ("number", "voltage_setpoint"),
            ("number", "current_setpoint"), ("button", "reset_counters")}


def check_discovery(rig, broker, failures):
    node = "bench1"
    watcher = Watcher(broker.port)
    rig.start("--mqtt", f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node", node,
              "--mqtt-control")
    base = f"quorel/{node}"
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"online")), "online",
           failures)
    expect(wait_for(lambda: watcher.last_json(base + "/state")), "a state", failures)
    kept = retained_now(broker.port, "homeassistant/#")
    want = {f"homeassistant/{c}/{node}/{o}/config" for c, o in MONITORS | CONTROLS}
    expect(set(kept) == want, f"the discovery set: {sorted(set(kept) ^ want)}", failures)
    ids = set()
    for topic, payload in kept.items():
        component, object_id = topic.split("/")[1], topic.split("/")[3]
        c = json.loads(payload)
        for reason in valid_by_home_assistant(component, c):
            expect(False, f"{topic}: {reason}", failures)
        ids.add(c.get("unique_id"))
        availability = [a["topic"] for a in c.get("availability", [])]
        if object_id == "connected":
            expect(availability == [base + "/availability"],
                   "the connected sensor answers to the program alone", failures)
        else:
            expect(set(availability) == {base + "/availability", base + "/device"} and
                   c.get("availability_mode") == "all",
                   f"{topic} needs both availability topics, all of them", failures)
        expect(c["device"].get("identifiers") == [f"quorel_{node}"] and
               c["device"].get("sw_version"), f"{topic}: the device block", failures)
    expect(len(ids) == len(want), "unique ids", failures)
    number = json.loads(kept[f"homeassistant/number/{node}/voltage_setpoint/config"])
    expect((number["min"], number["max"], number["step"]) == (0, 20.0, 0.02),
           "the voltage number spans the device's limits", failures)
    rig.stop_serve()
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"offline")),
           "offline at the end", failures)

    # Without control the controls go, the monitors stay.
    since = time.monotonic()
    rig.start("--mqtt", f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node", node)
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"online", since)),
           "online again", failures)
    kept = retained_now(broker.port, "homeassistant/#")
    expect(set(kept) == {f"homeassistant/{c}/{node}/{o}/config" for c, o in MONITORS},
           "the controls removed without Control", failures)
    # Home Assistant starting again gets the configurations anew.
    since = time.monotonic()
    watcher.publish("homeassistant/status", "online")
    expect(wait_for(lambda: watcher.seen(f"homeassistant/sensor/{node}/voltage/config",
                                         since=since)),
           "republished when Home Assistant says online", failures)
    rig.stop_serve()

    # Removal talks to the broker alone and ends once it acknowledged.
    started = time.monotonic()
    removal = subprocess.run([rig.program, "serve", "--port", "/nonexistent", "--mqtt",
                              f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node", node,
                              "--mqtt-remove"], capture_output=True, text=True, timeout=20)
    expect(removal.returncode == 0, "the removal succeeds: " + removal.stderr, failures)
    expect(time.monotonic() - started < 10, "the removal is quick", failures)
    left = retained_now(broker.port, "#")
    expect(not [t for t in left if node in t], f"nothing of the node kept: {sorted(left)}",
           failures)
    watcher.close()

    # A broker that is not there: the removal gives up in bounded time with a failure.
    dead = free_port()
    started = time.monotonic()
    removal = subprocess.run([rig.program, "serve", "--mqtt", f"mqtt://127.0.0.1:{dead}",
                              "--mqtt-node", node, "--mqtt-remove"], capture_output=True,
                             text=True, timeout=30)
    expect(removal.returncode == 42 and time.monotonic() - started < 15,
           f"no broker: exit {removal.returncode}", failures)


def check_lifecycle(rig, broker, failures):
    node = "bench2"
    base = f"quorel/{node}"
    watcher = Watcher(broker.port)
    args = ("--mqtt", f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node", node,
            "--no-mqtt-discovery")
    rig.start(*args)
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"online")), "online",
           failures)
    expect(wait_for(lambda: watcher.seen(base + "/device", b"online")), "device online",
           failures)
    state = wait_for(lambda: watcher.last_json(base + "/state"))
    expect(state and state.get("connected") is True and state.get("voltageSetpoint") == 5.0,
           f"the state has the simulator's values: {state}", failures)
    # The millisecond stamp is the same moment as the whole one, taken before the receipt.
    received = watcher.seen(base + "/state")[-1][4]
    stamp = (state or {}).get("timeMs", 0) / 1000
    whole = datetime.datetime.fromisoformat((state or {}).get("time", "1970-01-01T00:00:00+00:00"))
    expect(int(stamp) == int(whole.timestamp()) and 0 <= received - stamp < 5,
           f"timeMs {stamp} agrees with time {whole} and precedes the receipt {received}",
           failures)
    # States arrive each interval.
    since = time.monotonic()
    time.sleep(2.6)
    count = len(watcher.seen(base + "/state", since=since))
    expect(2 <= count <= 4, f"{count} states in 2.6 s at 1 s", failures)
    # The supply unplugged and back: the device topic and the events follow.
    since = time.monotonic()
    rig.sim_says("unplug")
    expect(wait_for(lambda: watcher.seen(base + "/device", b"offline", since)),
           "device offline", failures)
    rig.sim_says("replug main")
    expect(wait_for(lambda: watcher.seen(base + "/device", b"online", since)),
           "device online again", failures)
    events = [json.loads(m[1])["event"] for m in watcher.seen(base + "/event", since=since)]
    expect("lost" in events and "reconnect" in events, f"events {events}", failures)

    # Killed: the broker delivers the last will.
    since = time.monotonic()
    rig.stop_serve(signal.SIGKILL)
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"offline", since), 40),
           "offline after SIGKILL", failures)

    # The broker stopped and started again: serve reconnects, says online, sends the state.
    rig.start(*args)
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"online", since)),
           "online after the restart of serve", failures)
    watcher.close()
    broker.stop()
    time.sleep(0.5)
    broker.start()
    watcher = Watcher(broker.port)
    since = time.monotonic()
    expect(wait_for(lambda: watcher.seen(base + "/availability", b"online", since), 35),
           "online after the broker came back", failures)
    expect(wait_for(lambda: watcher.seen(base + "/state", since=since)),
           "state after the broker came back", failures)
    err = rig.read_err()
    expect("Lost the MQTT broker" in err and err.count("Connected to the MQTT broker") >= 2,
           "the broker's loss and return logged:\n" + err, failures)
    watcher.close()

    # A second program with the same node id takes the connection over. This broker closes
    # the first one's socket without a reason; the first says so at its next connect.
    other = Rig(*rig.programs)
    try:
        other.start(*args)
        taken = f"Another client with the id quorel-{node} took the MQTT connection over"
        expect(wait_for(lambda: taken in rig.read_err(), 20), "the take-over logged:\n" +
               rig.read_err(), failures)
        time.sleep(3)
        expect(rig.read_err().count(taken) == 1, "said once while the two take turns",
               failures)
        other.stop_serve()
    finally:
        other.close()


def check_control(rig, broker, failures):
    node = "bench3"
    base = f"quorel/{node}"
    watcher = Watcher(broker.port)
    url = ("--mqtt", f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node", node,
           "--no-mqtt-discovery")
    rig.sim_says("load 25")

    # Control=0: every command refused with the reason, nothing sent.
    rig.start(*url)
    wait_for(lambda: watcher.seen(base + "/availability", b"online"))
    since = time.monotonic()
    watcher.publish(base + "/set/output", "ON")
    error = wait_for(lambda: watcher.last_json(base + "/error", since))
    expect(error and "Control=0" in error.get("error", ""), f"refused: {error}", failures)
    rig.stop_serve()

    # A retained ON left on the broker is never acted on at the next start.
    watcher.publish(base + "/set/output", "ON", retain=True)
    since = time.monotonic()
    rig.start(*url, "--mqtt-control")
    wait_for(lambda: watcher.seen(base + "/availability", b"online", since))
    time.sleep(1.5)
    state = watcher.last_json(base + "/state")
    expect(state and state.get("output") is False, "a retained ON switched nothing", failures)
    expect("Ignored the retained MQTT command" in rig.read_err(), "the retained command logged",
           failures)
    watcher.publish(base + "/set/output", "", retain=True)

    # Accepted through the panel's rules.
    def setpoint_becomes(value):
        return wait_for(lambda: (watcher.last_json(base + "/state") or {}).get(
            "voltageSetpoint") == value, 5)
    watcher.publish(base + "/set/voltage", "6.5")
    expect(setpoint_becomes(6.5), "the voltage set-point follows", failures)
    expect(f"MQTT {base}/set/voltage" in rig.read_err(),
           "the command is logged with its topic:\n" + rig.read_err(), failures)

    # Refused, each with a reason on the error topic, the set-point untouched.
    bad = [("voltage", b"25"), ("voltage", b""), ("voltage", b"x" * (1024 * 1024)),
           ("voltage", b"NaN"), ("voltage", b"1e999"), ("voltage", b"\xff\xfe5"),
           ("voltage", b"5V"), ("current", b"-0.1"), ("output", b"on"),
           ("reset_counters", b"1"), ("nonsense", b"ON")]
    for what, payload in bad:
        since = time.monotonic()
        watcher.publish(f"{base}/set/{what}", payload)
        error = wait_for(lambda: watcher.last_json(base + "/error", since), 5)
        expect(error and error.get("topic") == f"{base}/set/{what}" and error.get("error"),
               f"{what} {payload[:16]!r} refused with a reason: {error}", failures)
    expect((watcher.last_json(base + "/state") or {}).get("voltageSetpoint") == 6.5,
           "nothing refused reached the device", failures)
    # Beyond the power of the source (6.5 V x 1 A on 6 W): the panel's refusal.
    since = time.monotonic()
    watcher.publish(base + "/set/current", "1")
    error = wait_for(lambda: watcher.last_json(base + "/error", since), 5)
    expect(error is not None, "over the power capacity refused", failures)

    watcher.publish(base + "/set/output", "ON")
    expect(wait_for(lambda: (watcher.last_json(base + "/state") or {}).get("output") is True
                    and abs(watcher.last_json(base + "/state").get("current", 0) - 0.26) < 0.01),
           "the output switched on, 6.5 V into 25 ohms", failures)
    watcher.publish(base + "/set/reset_counters", "PRESS")
    watcher.publish(base + "/set/output", "OFF")
    expect(wait_for(lambda: (watcher.last_json(base + "/state") or {}).get("output") is False),
           "the output switched off", failures)
    watcher.close()


def make_certificates(folder):
    """A CA of the test's own and a broker certificate for the name localhost."""
    def run(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Test CA",
        "-keyout", "ca.key", "-out", "ca.pem")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout",
        "server.key", "-out", "server.csr")
    with open(os.path.join(folder, "ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
        "-CAcreateserial", "-days", "2", "-extfile", "ext", "-out", "server.pem")


def check_tls(rig, _, failures):
    if not shutil.which("openssl") or not shutil.which("mosquitto_passwd"):
        print("openssl or mosquitto_passwd is missing: skipped")
        return SKIP
    folder = os.path.join(rig.dir, "tls")
    os.mkdir(folder)
    make_certificates(folder)
    passwords = os.path.join(folder, "passwords")
    subprocess.run(["mosquitto_passwd", "-b", "-c", passwords, "rack", "s3cret"], check=True,
                   capture_output=True)
    extra = (f"cafile {folder}/ca.pem\ncertfile {folder}/server.pem\n"
             f"keyfile {folder}/server.key\nallow_anonymous false\n"
             f"password_file {passwords}\n")
    broker = Broker(folder, extra)
    try:
        secret = os.path.join(folder, "secret")
        with open(secret, "w") as f:
            f.write("s3cret\n")
        watcher = Watcher(broker.port, ca=f"{folder}/ca.pem", user="rack", password="s3cret",
                          host="localhost")
        node = "bench4"
        rig.start("--mqtt", f"mqtts://rack@localhost:{broker.port}", "--mqtt-ca",
                  f"{folder}/ca.pem", "--mqtt-password-file", secret, "--mqtt-node", node,
                  "--no-mqtt-discovery", "--mqtt-control")
        expect(wait_for(lambda: watcher.seen(f"quorel/{node}/availability", b"online")),
               "online over TLS with the password", failures)
        expect("anonymous or unencrypted" not in rig.read_err(),
               "no warning on an encrypted broker with a user", failures)
        rig.stop_serve()
        # The broker's certificate does not name 127.0.0.1: the host name check refuses it.
        rig.start("--mqtt", f"mqtts://rack@127.0.0.1:{broker.port}", "--mqtt-ca",
                  f"{folder}/ca.pem", "--mqtt-password-file", secret, "--mqtt-node", "wrong")
        time.sleep(2.5)
        expect(not watcher.seen("quorel/wrong/availability", b"online"),
               "the host name is checked", failures)
        rig.stop_serve()
        # A wrong password is refused by the broker, and said.
        with open(secret, "w") as f:
            f.write("wrong\n")
        rig.start("--mqtt", f"mqtts://rack@localhost:{broker.port}", "--mqtt-ca",
                  f"{folder}/ca.pem", "--mqtt-password-file", secret, "--mqtt-node", "wrong")
        expect(wait_for(lambda: "refused the connection" in rig.read_err(), 5),
               "the refusal is logged:\n" + rig.read_err(), failures)
        expect(not watcher.seen("quorel/wrong/availability", b"online"), "not let in", failures)
        rig.stop_serve()
        watcher.close()
    finally:
        broker.stop()


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    quorelctl, sim, mode = sys.argv[1:]
    if paho is None or not shutil.which("mosquitto"):
        print("mosquitto or python3-paho-mqtt is missing: skipped")
        return SKIP
    checks = {"discovery": check_discovery, "lifecycle": check_lifecycle,
              "control": check_control, "tls": check_tls}
    rig = Rig(quorelctl, sim)
    broker = None
    failures = []
    try:
        if mode != "tls":
            broker = Broker(rig.dir)
        code = checks[mode](rig, broker, failures)
        if code == SKIP:
            return SKIP
    finally:
        try:
            print(rig.read_err())
        except (OSError, AttributeError):
            pass
        rig.close()
        if broker:
            broker.stop()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
