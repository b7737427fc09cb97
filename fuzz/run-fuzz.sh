#!/usr/bin/env bash
# Builds the libFuzzer programs (CMake preset "fuzz", clang) and fuzzes each target for a
# while, starting from its seed corpus in fuzz/corpus/<target>. New inputs go to a working
# corpus under build-fuzz/, never into the repository; an input that breaks a property is
# saved under build-fuzz/fuzz-work/artifacts/ and ends the run with a failure. Put such an
# input into fuzz/corpus/<target>/ once the fault is mended, so the test suite keeps it.
#
# Usage: fuzz/run-fuzz.sh [seconds per target] [seconds for device_replies]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
device_seconds=${2:-$seconds}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build-fuzz/fuzz-work
scratch=$(mktemp -d /dev/shm/quorel-fuzz-run.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QUOREL_FUZZ_SCRATCH=$scratch
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Stack traces with names and lines need clang's symbolizer, which llvm-14 keeps off the PATH.
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi

run() {
  local target=$1 time=$2
  shift 2
  mkdir -p "$work/corpus/$target" "$work/artifacts/$target"
  echo "== fuzz_$target for $time s"
  local log="$work/$target.log"
  if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time="$time" -print_final_stats=1 \
      -dict="fuzz/$target.dict" -artifact_prefix="$work/artifacts/$target/" "$@" \
      "$work/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target found a fault; the input is in $work/artifacts/$target/" >&2
    return 1
  fi
  grep -E '^(Done|#[0-9]+: cov:|stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" |
    tail -n 3
}

status=0
run hex_image "$seconds" -timeout=10 || status=1
run ini "$seconds" -timeout=10 || status=1
run scpi_line "$seconds" -timeout=10 || status=1
run scpi_stream "$seconds" -timeout=10 -max_len=8192 || status=1
run sequence_file "$seconds" -timeout=10 -max_len=65536 || status=1
run vxi11_stream "$seconds" -timeout=30 -max_len=8192 || status=1
# Each input waits on the line for up to a few seconds, mostly asleep: several processes
# keep both cores busy.
run device_replies "$device_seconds" -timeout=30 -max_len=600 -fork=6 -ignore_timeouts=0 \
  -ignore_ooms=0 || status=1
exit $status
