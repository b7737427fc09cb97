#!/usr/bin/env bash
# Builds the core, quorelctl.exe and the tests of the logic for Windows with Debian's
# mingw-w64 and runs them under Wine, against the simulated supply running natively:
#   1. installs what is missing (cross compiler, GoogleTest's sources, Wine, CMake);
#   2. builds quorel-sim natively (build-sim/, without Qt) and the Windows programs
#      (build-win/, preset "windows");
#   3. makes a fresh Wine prefix (build-win/wine) and maps its COM port com5 to the
#      simulator's pseudo-terminal: quorel-sim keeps the link dosdevices/com5 pointing at it;
#   4. runs the test programs under Wine through CTest (the serial port tests one at a time,
#      talking to the simulator through the port and commanding it through a pipe);
#   5. runs quorelctl.exe's commands end to end against the simulator and checks what they
#      print, write and tell the shell;
#   6. prints "N passed, N failed" and exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh cmake g++ make g++-mingw-w64-x86-64-posix googletest wine wine64

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# --- build ---
cmake -S . -B build-sim -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOREL_GUI=OFF \
  -DQUOREL_BUILD_TESTS=OFF -DQUOREL_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-sim -j2 --target quorel-sim

work=$(mktemp -d)
sim_pid=""
keeper_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null || true
  wineserver --kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- Wine ---
export WINEPREFIX=$root/build-win/wine
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and asking for them would wait for a person.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# One Wine server and its services for every program of the run, started once and apart
# from CTest, which would otherwise wait for the services to close its output.
wineserver --persistent >/dev/null 2>&1
wineboot --init </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

# The test programs are listed under Wine as they are built.
cmake --preset windows "${launcher[@]}" >/dev/null
cmake --build --preset windows

# --- the simulated supply on com5 ---
port=com5
control=$work/simulator-control
mkfifo "$control"
# A writer that stays, so that the simulator reads on after each command written to the pipe.
sleep infinity >"$control" &
keeper_pid=$!
build-sim/quorel-sim --link "$WINEPREFIX/dosdevices/$port" <"$control" >"$work/simulator.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  [ -L "$WINEPREFIX/dosdevices/$port" ] && break
  sleep 0.1
done
simulator() { printf '%s\n' "$@" >"$control"; sleep 0.3; }

export QUOREL_TEST_COM_PORT=$port
export QUOREL_TEST_SIM_CONTROL="Z:$control"

passed=0
failed=0
failures=()
flaky=()

# --- the test programs ---
# The names of the cases a CTest run lists as failed, one a line, whatever the kind
# (Failed, Timeout, SEGFAULT, Exception, Subprocess aborted, Not Run).
failed_cases() {
  sed -n '/The following tests FAILED:/,$p' "$1" | sed -nE 's/^\s+[0-9]+ - (.*) \([^)]*\)\s*$/\1/p'
}
ctest_summary() {
  # "100% tests passed, 0 tests failed out of 212"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    # CTest itself did not finish: the run counts as one failure, named by its log.
    failed=$((failed + 1))
    failures+=("ctest run without a summary: $(basename "$1")")
    return
  fi
  local bad total name
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  while IFS= read -r name; do
    [ -n "$name" ] && failures+=("$name")
  done < <(failed_cases "$1")
}
set +e
ctest --preset windows -E 'MappedComPort|LineReception' 2>&1 | tee "$work/ctest-logic.log"
if ! grep -q ' 0 tests failed' "$work/ctest-logic.log"; then
  # Now and then a program started under Wine ends at once without a word while the
  # prefix's services are still starting; such a test is run once more, alone, and the
  # second run counts. Both runs stay in the log, and a case that passes only the second
  # time is named at the end as flaky.
  echo "run again, one at a time:"
  failed_cases "$work/ctest-logic.log"
  ctest --test-dir build-win --rerun-failed -j1 --output-on-failure 2>&1 | tee "$work/ctest-rerun.log"
  total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$work/ctest-logic.log")
  bad=$(sed -nE 's/.* ([0-9]+) tests failed out of.*/\1/p' "$work/ctest-rerun.log")
  total=${total:-0}
  bad=${bad:-1}
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  again=$(failed_cases "$work/ctest-rerun.log")
  while IFS= read -r name; do
    [ -n "$name" ] || continue
    if grep -qxF -- "$name" <<<"$again"; then
      failures+=("$name")
    else
      flaky+=("$name")
    fi
  done < <(failed_cases "$work/ctest-logic.log")
else
  ctest_summary "$work/ctest-logic.log"
fi
# The device tests share the one simulated supply: one at a time.
ctest --test-dir build-win -R 'MappedComPort|LineReception' -j1 --output-on-failure \
  2>&1 | tee "$work/ctest-serial.log"
ctest_summary "$work/ctest-serial.log"
set -e

# --- quorelctl.exe end to end ---
# What quorelctl.exe prints (Windows line ends dropped); its own exit code.
ctl() { (set -o pipefail; cd "$work" && wine "$root/build-win/quorelctl.exe" "$@" 2>&1 | tr -d '\r'); }
check() {
  # check NAME EXPECTED_EXIT PATTERN -- quorelctl arguments
  local name=$1 want=$2 pattern=$3
  shift 4
  local output code
  output=$(ctl "$@") && code=0 || code=$?
  if [ "$code" -eq "$want" ] && grep -qE -- "$pattern" <<<"$output"; then
    echo "PASS quorelctl $name (exit $code)"
    passed=$((passed + 1))
  else
    echo "FAIL quorelctl $name: exit $code, wanted $want and /$pattern/"
    echo "$output" | sed 's/^/    /'
    failed=$((failed + 1))
    failures+=("quorelctl $name")
  fi
}

simulator "replug main" "silent off" "split off" "delay 0" "load 25" "source A"
check info 0 '^firmware +1\.02$' -- info --port $port
check set-refused-by-power 23 '許容電力容量を超えるため設定できません' -- set 12 0.6 --port $port
check set 0 '出力を 5\.00V/0\.200A にセットしました' -- set 5 0.2 --port $port
check on 0 '出力を ON しました' -- on --port $port
check status-after-on 0 ',5\.00,0\.200,(CV|CC),' -- status --csv --port $port
check log 0 'ログを停止しました' -- log run.csv --interval 1s --duration 3 --port $port
lines=$(grep -cE '^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9:]{8},5\.00,0\.200,(CV|CC),[0-9.]+,[0-9.]+'$'\r''$' \
  "$work/run.csv" || true)
if [ "$lines" -ge 2 ]; then
  echo "PASS quorelctl log-file ($lines CSV lines ending in CR LF)"
  passed=$((passed + 1))
else
  echo "FAIL quorelctl log-file: $lines good lines"; sed 's/^/    /' "$work/run.csv" || true
  failed=$((failed + 1)); failures+=("quorelctl log-file")
fi
check off 0 '出力を OFF しました' -- off --port $port
check missing-port 11 '.' -- info --port com31
# English from the table built into quorelctl.exe, which has no Qt to load a translation.
check english 0 '^Output switched OFF$' -- off --port $port --lang en
check usage 2 '.' -- frobnicate
check update-missing-file 31 '指定のファームウェアHEXファイルを開けません' -- update missing.hex --port $port
cp fuzz/corpus/hex_image/valid_crlf.hex "$work/firmware.hex"
simulator "replug boot"
check update 0 '.' -- update firmware.hex --port $port
simulator "replug main"
check info-after-update 0 '^port +com5$' -- info --port $port
simulator "silent on"
check silent-device 13 '.' -- info --port $port
simulator "silent off"

# The exit code reaches a Windows shell too.
code=0
(cd "$work" && wine cmd /c "$(winepath -w "$root/build-win/quorelctl.exe") set 25 0 --port $port" \
  >/dev/null 2>&1) || code=$?
if [ "$code" -eq 21 ]; then
  echo "PASS quorelctl exit-code-through-cmd (exit 21)"; passed=$((passed + 1))
else
  echo "FAIL quorelctl exit-code-through-cmd: exit $code, wanted 21"
  failed=$((failed + 1)); failures+=("quorelctl exit-code-through-cmd")
fi

echo
if [ "${#flaky[@]}" -gt 0 ]; then
  printf 'flaky (failed, then passed alone): %s\n' "${flaky[@]}"
fi
if [ "${#failures[@]}" -gt 0 ]; then
  printf 'failed: %s\n' "${failures[@]}"
fi
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
