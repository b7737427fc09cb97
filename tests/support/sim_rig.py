"""What the tests that drive quorelctl as a program share: bounded waits, processes stopped by
their PIDs, and a scratch folder with the simulated supply on a link and a copy of quorelctl
(whose settings live beside it)."""
import os
import shutil
import signal
import subprocess
import tempfile
import time


def wait_for(predicate, seconds=10.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    return None


def stop(process, seconds=10):
    """SIGTERM, and SIGKILL when it has not ended in time."""
    if process and process.poll() is None:
        os.kill(process.pid, signal.SIGTERM)
        try:
            process.wait(seconds)
        except subprocess.TimeoutExpired:
            os.kill(process.pid, signal.SIGKILL)
            process.wait()


class SimFolder:
    def __init__(self, quorelctl, sim, prefix):
        self.dir = tempfile.mkdtemp(prefix=prefix)
        self.link = os.path.join(self.dir, "psu")
        self.sim = subprocess.Popen([sim, "--link", self.link], stdin=subprocess.PIPE,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    text=True)
        if not wait_for(lambda: os.path.exists(self.link)):
            raise RuntimeError("the simulator made no link")
        self.program = os.path.join(self.dir, "quorelctl")
        shutil.copy(quorelctl, self.program)

    def sim_says(self, line):
        self.sim.stdin.write(line + "\n")
        self.sim.stdin.flush()

    def close(self):
        # The simulator ends at the end of its input as at SIGTERM.
        self.sim.stdin.close()
        stop(self.sim)
        shutil.rmtree(self.dir, ignore_errors=True)
