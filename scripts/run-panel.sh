#!/usr/bin/env bash
# Sets up the machine, builds the panel and the simulated supply, plugs the simulated
# supply in as com1 beside the panel and opens the panel on it. Without a display the
# panel runs on a virtual one and a screenshot is saved instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target quorel quorel-sim

bin="$root/build"
mkdir -p "$bin/ports"
# A settings file that connects at start, written only when there is none yet.
if [ ! -f "$bin/Quorel.ini" ]; then
  printf '[QUOREL]\r\nComPort=com1\r\nConnectAtStart=1\r\nPlotSpan=60\r\n' > "$bin/Quorel.ini"
fi

# The simulated supply: output on into a 25 ohm load, with a little noise on the readings.
coproc SIM { exec "$bin/quorel-sim" --link "$bin/ports/com1"; }
sim_in=${SIM[1]}
cleanup() {
  kill "$SIM_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -L "$bin/ports/com1" ] && break; sleep 0.1; done
printf 'setpoint 5 0.5\nload 25\nnoise on\noutput on\n' >&"$sim_in"

if [ -n "${DISPLAY:-}" ]; then
  echo "Quorel is running on the simulated supply (ports/com1). Close its window to end."
  "$bin/quorel"
else
  Xvfb :97 -screen 0 1024x768x24 >/dev/null 2>&1 &
  XVFB_PID=$!
  sleep 1
  shot="$root/quorel-screenshot.png"
  DISPLAY=:97 "$bin/quorel" &
  panel=$!
  sleep 8
  DISPLAY=:97 import -window root "$shot"
  kill "$panel" 2>/dev/null || true
  echo "No display: Quorel ran on a virtual display; its window is saved in $shot"
fi
