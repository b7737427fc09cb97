#!/usr/bin/python3
"""The live page of quorelctl serve --http in a real browser: Debian's chromium, headless,
driven through chromium-driver by python3-selenium, against quorel-sim. It checks that readings
with different times arrive, that a change of the simulated load shows within 1 s, that the
output switches with the token and not without it (nor with a wrong one), that the token is
kept by the browser, and that a refused set-point shows the refusal's text. A screenshot is
kept where SCREENSHOT says. Everything on 127.0.0.1; the browser, its driver, the server and
the simulator are stopped by their PIDs. Exit 77 (skipped) when chromium or selenium is missing.

usage: live_page.py QUORELCTL QUOREL_SIM SCREENSHOT [SECONDS_OF_LOAD_CHANGES]
"""
import json
import os
import shutil
import signal
import sys
import tempfile
import time
import urllib.error
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from http_tools import SKIP, Rig  # noqa: E402

CHROMIUM = "/usr/bin/chromium"
DRIVER = "/usr/bin/chromedriver"


def start_browser(profile, width=1000, height=1250):
    """Headless chromium through its driver, or None (with the reason printed) when missing."""
    if not (os.path.exists(CHROMIUM) and os.path.exists(DRIVER)):
        print("chromium or chromium-driver is missing: skipped")
        return None
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        print("python3-selenium is missing: skipped")
        return None
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--no-first-run", "--disable-background-networking", "--disable-extensions",
                "--disable-sync", "--disable-component-update", "--hide-scrollbars",
                f"--user-data-dir={profile}", f"--window-size={width},{height}"):
        options.add_argument(arg)
    service = Service(DRIVER)
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_page_load_timeout(20)
    driver.set_script_timeout(20)
    return driver


def stop_browser(driver):
    pid = driver.service.process.pid if driver.service.process else None
    try:
        driver.quit()
    finally:
        if pid and driver.service.process.poll() is None:
            os.kill(pid, signal.SIGKILL)
            driver.service.process.wait()


def until(predicate, seconds=10.0, step=0.02):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def api(rig, method, path, body=None, token=True):
    headers = {"Authorization": "Bearer " + rig.token} if token else {}
    data = json.dumps(body).encode() if body is not None else b"" if method != "GET" else None
    req = urllib.request.Request(rig.base + path, data=data, method=method, headers=headers)
    try:
        with urllib.request.urlopen(req, timeout=5) as r:
            return r.status, json.loads(r.read())
    except urllib.error.HTTPError as e:
        return e.code, json.loads(e.read())


class Page:
    def __init__(self, driver):
        self.d = driver

    def text(self, element_id):
        return self.d.execute_script(
            "const e = document.getElementById(arguments[0]); return e ? e.textContent : null;",
            element_id)

    def number(self, element_id):
        try:
            return float(self.text(element_id))
        except (TypeError, ValueError):
            return None

    def enabled(self, element_id):
        return self.d.execute_script("return !document.getElementById(arguments[0]).disabled;",
                                     element_id)

    def click(self, element_id):
        self.d.find_element("id", element_id).click()

    def type(self, element_id, text):
        field = self.d.find_element("id", element_id)
        field.clear()
        field.send_keys(text)

    def link(self):
        return self.d.execute_script("return document.getElementById('link').className;")


class Checks:
    def __init__(self):
        self.failed = 0

    def expect(self, ok, what):
        print(("ok: " if ok else "FAILED: ") + what)
        if not ok:
            self.failed = 1
        return ok


def run(rig, driver, screenshot, tour_seconds):
    page = Page(driver)
    c = Checks()
    rig.sim_says("load 25")
    assert api(rig, "PUT", "/api/v1/setpoints", {"volts": 5.0, "amps": 0.5})[0] == 200
    assert api(rig, "PUT", "/api/v1/output", {"on": False})[0] == 200

    driver.get(rig.base + "/")
    c.expect(until(lambda: page.link() == "ok"), "the page follows the event stream")
    times = set()
    until(lambda: (times.add(page.text("time")), len(times - {""}) >= 3)[1], seconds=6)
    c.expect(len(times - {""}) >= 3, f"readings with different times arrive: {sorted(times)}")

    # Without the token: read-only, and the switch does nothing.
    c.expect(page.text("readonly") != "", "without the token the page says it is read-only")
    c.expect(not page.enabled("output"), "the output switch is disabled without the token")
    page.click("output")
    time.sleep(1.0)
    c.expect(api(rig, "GET", "/api/v1/status")[1]["output"] is False,
             "the output stays off without the token")
    # A wrong token is sent and refused, in the page's words.
    page.type("token", "0" * 64)
    page.click("keep")
    until(lambda: page.enabled("output"))
    page.click("output")
    refused = until(lambda: page.text("message"))
    c.expect(refused and api(rig, "GET", "/api/v1/status")[1]["output"] is False,
             f"a wrong token is refused with a message: {refused!r}")
    page.click("forget")

    # With the token, kept by the browser across a reload.
    page.type("token", rig.token)
    page.click("keep")
    driver.refresh()
    c.expect(until(lambda: page.link() == "ok" and page.enabled("output")),
             "the kept token enables the switch after a reload")
    off_text = page.text("output")
    page.click("output")
    c.expect(until(lambda: api(rig, "GET", "/api/v1/status")[1]["output"] is True, 5),
             "the switch turns the output on with the token")
    c.expect(until(lambda: page.text("output") != off_text, 2), "the switch shows ON")

    # 5 V into 25 ohms, then 50 ohms: 0.2 A, then 0.1 A within 1 s.
    c.expect(until(lambda: abs((page.number("amps") or 0) - 0.2) < 0.003, 5),
             f"the page shows 0.2 A ({page.text('amps')})")
    began = time.monotonic()
    rig.sim_says("load 50")
    shown = until(lambda: abs((page.number("amps") or 0) - 0.1) < 0.003, 3, step=0.01)
    took = time.monotonic() - began
    c.expect(shown and took < 1.0, f"the change of the load shows within 1 s (took {took:.3f} s)")

    # A set-point beyond the limit: the panel's refusal text, and nothing changes.
    want = api(rig, "PUT", "/api/v1/setpoints", {"volts": 25})
    assert want[0] == 422, want
    page.type("setVolts", "25")
    page.click("set")
    shown = until(lambda: page.text("message") == want[1]["error"], 5)
    c.expect(shown, f"the refused set-point shows {want[1]['error']!r}: {page.text('message')!r}")
    c.expect(api(rig, "GET", "/api/v1/status")[1]["voltageSetpoint"] == 5.0,
             "the refused set-point changed nothing")

    # A stretch of load changes for the plot, when asked for (the README's picture).
    end = time.monotonic() + tour_seconds
    loads = [25, 40, 60, 33, 100, 25, 30]
    i = 0
    while time.monotonic() < end:
        rig.sim_says(f"load {loads[i % len(loads)]}")
        i += 1
        time.sleep(3)
    if tour_seconds:
        rig.sim_says("load 25")
        driver.execute_script("document.getElementById('message').textContent = '';"
                              "delete document.getElementById('setVolts').dataset.edited;")
        time.sleep(1.5)
    driver.save_screenshot(screenshot)
    c.expect(os.path.getsize(screenshot) > 10000, "the screenshot is kept at " + screenshot)
    return c.failed


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__)
        return 2
    quorelctl, sim, screenshot = sys.argv[1:4]
    tour = float(sys.argv[4]) if len(sys.argv) == 5 else 0
    profile = tempfile.mkdtemp(prefix="quorel-browser-")
    driver = None
    try:
        driver = start_browser(profile)
        if driver is None:
            return SKIP
        rig = Rig(quorelctl, sim)
        try:
            return run(rig, driver, screenshot, tour)
        finally:
            rig.close()
    finally:
        if driver is not None:
            stop_browser(driver)
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
