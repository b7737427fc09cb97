#!/usr/bin/env bash
# Sets up the machine, builds the benchmarks and runs them all against the simulated supply
# on a pseudo-terminal, then prints the table of figures with their ratios to the floors the
# serial protocol and the poll timer set. Takes about seven minutes: the firmware update alone
# takes 35 s, the hour of polling about two and a half minutes, the remote control 35 s and
# the sequences 75 s.
#
# The build goes to the default preset's folder; QUOREL_BENCH_BUILD_DIR=<dir> builds
# elsewhere. Extra arguments go to every benchmark program (e.g. --benchmark_filter=...).
# The timings are wall-clock: other work on the machine shows in them, so run it on a
# quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [ -n "${QUOREL_BENCH_BUILD_DIR:-}" ]; then
  build=$QUOREL_BENCH_BUILD_DIR
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOREL_BUILD_BENCH=ON
else
  build=build
  cmake --preset default -DQUOREL_BUILD_BENCH=ON
fi
programs=(PlotPaintBench PanelBench FirmwareUpdateBench ProcessBench PollingHourBench SessionBench HistoryBench RemoteBench
          SequenceBench TextsBench HttpBench)
cmake --build "$build" -j2 --target "${programs[@]}"

figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
export QUOREL_BENCH_FIGURES=$figures
export QT_QPA_PLATFORM=offscreen

echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
for program in "${programs[@]}"; do
  echo
  echo "=== $program"
  "$build/bench/$program" "$@"
done
# The live page in headless chromium: its first paint and the serving CPU with 10 pages open.
echo
echo "=== live pages"
cmake --build "$build" -j2 --target quorelctl quorel-sim
/usr/bin/python3 bench/live_pages.py "$build/quorelctl" "$build/quorel-sim" || echo "live pages: skipped (exit $?)"

echo
echo "=== Figures (one run, $(date '+%Y-%m-%d %H:%M'), load average $(cut -d' ' -f1-3 /proc/loadavg) at the end)"
{
  printf 'figure\tmeasured\tfloor\tratio\ttarget\tmet\n'
  cut -f1-6 "$figures"
} | column -t -s $'\t'
echo
echo "Notes:"
awk -F'\t' '$7 != "" { printf "  %s: %s\n", $1, $7 }' "$figures"
missed=$(awk -F'\t' '$6 == "NO"' "$figures" | wc -l)
echo
echo "Targets missed: $missed (see docs/PERFORMANCE.md for those the floors rule out)"
