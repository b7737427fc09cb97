#!/usr/bin/python3
"""A rack on one broker: N quorel-sim + quorelctl serve --mqtt pairs through one mosquitto on
127.0.0.1 (a free port). Measures whether every node's state arrives every interval, the gaps
between a node's states (median and 99th percentile), the latency from the poll (the state's
timeMs) to the subscriber's receipt on the same host's clock, the time until every node is online
again after the broker restarts under that load, and the CPU of the serve processes at a 1 s
interval. Every process is stopped by its PID.

usage: mqtt_rack.py QUORELCTL QUOREL_SIM [N=20] [SECONDS=30]
"""
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "mqtt"))
from sim_rig import SimFolder, stop, wait_for  # noqa: E402
from mqtt_broker import Broker, Watcher  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]


def main():
    quorelctl, sim = sys.argv[1:3]
    n = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 30
    folder = tempfile.mkdtemp(prefix="quorel-rack-")
    broker = Broker(folder)
    rigs, serves = [], []
    try:
        for i in range(n):
            rig = SimFolder(quorelctl, sim, f"quorel-rack{i}-")
            rigs.append(rig)
            err = open(os.path.join(rig.dir, "err"), "w")
            serves.append(subprocess.Popen(
                [rig.program, "serve", "--port", rig.link, "--listen", "127.0.0.1:0",
                 "--no-vxi11", "--mqtt", f"mqtt://127.0.0.1:{broker.port}", "--mqtt-node",
                 f"rack{i}"], stdout=subprocess.DEVNULL, stderr=err))
        watcher = Watcher(broker.port, "quorel/#")
        nodes = [f"quorel/rack{i}" for i in range(n)]
        if not wait_for(lambda: all(watcher.seen(b + "/availability", b"online")
                                    for b in nodes), 30):
            print("not every node came online")
            return 1
        time.sleep(1.0)
        start = time.monotonic()
        cpu0 = [cpu_seconds(p.pid) for p in serves]
        time.sleep(seconds)
        wall = time.monotonic() - start
        cpu = [(cpu_seconds(p.pid) - c) / wall * 100 for p, c in zip(serves, cpu0)]
        gaps, counts, latencies = [], [], []
        for b in nodes:
            states = watcher.seen(b + "/state", since=start)
            times = [m[3] for m in states]
            counts.append(len(times))
            gaps += [1000 * (t2 - t1) for t1, t2 in zip(times, times[1:])]
            latencies += [1000 * m[4] - json.loads(m[1])["timeMs"] for m in states]
        print(f"nodes {n}, {wall:.1f} s: states per node min {min(counts)} max {max(counts)} "
              f"(expected {int(wall)})")
        print(f"gap between a node's states: median {statistics.median(gaps):.1f} ms, "
              f"p99 {percentile(gaps, 99):.1f} ms, max {max(gaps):.1f} ms")
        print(f"latency from the poll to the subscriber: median "
              f"{statistics.median(latencies):.1f} ms, p99 {percentile(latencies, 99):.1f} ms, "
              f"max {max(latencies):.1f} ms ({len(latencies)} states, "
              f"{sum(1 for x in latencies if x > 10)} over 10 ms)")
        print(f"serve CPU at 1 s: median {statistics.median(cpu):.2f} % of a core, "
              f"max {max(cpu):.2f} %")
        # The broker restarted under the load: every node online again.
        watcher.close()
        broker.stop()
        time.sleep(1.0)
        broker.start()
        restarted = time.monotonic()
        watcher = Watcher(broker.port, "quorel/#")
        back = wait_for(lambda: all(watcher.seen(b + "/availability", b"online", restarted)
                                    for b in nodes), 60)
        last = max(watcher.seen(b + "/availability", b"online", restarted)[0][3]
                   for b in nodes) if back else None
        print("broker restarted: every node online again after " +
              (f"{last - restarted:.1f} s" if back else "more than 60 s"))
        watcher.close()
        return 0 if back else 1
    finally:
        for p in serves:
            if p.poll() is None:
                os.kill(p.pid, signal.SIGTERM)
        for p in serves:
            stop(p)
        for rig in rigs:
            rig.close()
        broker.stop()


if __name__ == "__main__":
    sys.exit(main())
