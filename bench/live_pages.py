#!/usr/bin/python3
"""The live page in headless chromium against quorelctl serve --http and quorel-sim, on
127.0.0.1: the first paint of the page (median and slowest of 20 loads, from the browser's own
paint timing), and the CPU of the serving process with 10 live pages open, against the same
process with none, over 30 s each. Prints the two figures and appends them to the file named
by QUOREL_BENCH_FIGURES in the table's format. Exit 77 when chromium or selenium is missing.

usage: live_pages.py QUORELCTL QUOREL_SIM
"""
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "http"))
from http_tools import SKIP, Rig  # noqa: E402
from live_page import start_browser, stop_browser, until  # noqa: E402

PAGES = 10
SECONDS = 30


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def serving_cpu_percent(pid, seconds):
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return 100.0 * (cpu_seconds(pid) - c0) / (time.monotonic() - t0)


def first_paints(driver, url, count=20):
    paints = []
    for _ in range(count):
        driver.get("about:blank")
        driver.get(url)
        ms = until(lambda: driver.execute_script(
            "const p = performance.getEntriesByName('first-contentful-paint');"
            "return p.length ? p[0].startTime : 0;"), 5)
        if ms:
            paints.append(ms)
    return paints


def row(name, value, unit, target, limit, met, note):
    print(f"{name}: {value:.3f} {unit} (target {limit}: {'yes' if met else 'NO'}); {note}")
    path = os.environ.get("QUOREL_BENCH_FIGURES")
    if path:
        with open(path, "a") as f:
            f.write(f"{name}\t{value:.3f} {unit}\t-\t-\t{limit}\t{'yes' if met else 'NO'}\t{note}\n")


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    profile = tempfile.mkdtemp(prefix="quorel-browser-")
    browsers = []
    try:
        driver = start_browser(profile)
        if driver is None:
            return SKIP
        browsers.append(driver)
        rig = Rig(*sys.argv[1:3])
        try:
            rig.sim_says("load 25")
            url = rig.base + "/"
            paints = first_paints(driver, url)
            slowest = max(paints)
            row("live page first contentful paint (median of 20)", statistics.median(paints),
                "ms", 300, "< 300 ms", statistics.median(paints) < 300,
                f"headless chromium on loopback, slowest {slowest:.1f} ms, {len(paints)} loads")
            driver.get("about:blank")
            alone = serving_cpu_percent(rig.serve.pid, SECONDS)
            # A browser keeps at most 6 connections to one host, so the 10 pages are two
            # browsers' worth: a page and 4 more in frames of it, each following its stream.
            second = start_browser(profile + "-2")
            browsers.append(second)
            following = 0
            for browser in (driver, second):
                browser.get(url)
                browser.execute_script(
                    "for (let i = 0; i < arguments[1]; ++i) {"
                    "  const f = document.createElement('iframe');"
                    "  f.src = arguments[0]; f.width = 400; f.height = 300;"
                    "  document.body.appendChild(f); }", url, PAGES // 2 - 1)
                following += until(lambda: (lambda states: len(states) == PAGES // 2 and
                                            all(s == "ok" for s in states) and len(states))(
                    browser.execute_script(
                        "return [document].concat([...document.querySelectorAll('iframe')]"
                        ".map(f => f.contentDocument)).map(d => d && d.getElementById('link') ?"
                        " d.getElementById('link').className : '');")), 15) or 0
            if following != PAGES:
                print(f"only {following} of {PAGES} pages follow the server")
                return 1
            time.sleep(2)
            pages = serving_cpu_percent(rig.serve.pid, SECONDS)
            row(f"serving CPU, {PAGES} live pages open", pages, "%", 2, "< 2 % of one core",
                pages < 2, f"quorelctl serve over {SECONDS} s from /proc/PID/stat, its 500 ms "
                f"polls included; {alone:.3f} % with no page open")
        finally:
            rig.close()
    finally:
        for browser in browsers:
            stop_browser(browser)
        shutil.rmtree(profile, ignore_errors=True)
        shutil.rmtree(profile + "-2", ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
