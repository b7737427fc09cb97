#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quorel need (Qt's
# Linguist tools, lupdate and lrelease, for the translation files; clang,
# its sanitizer and libFuzzer run-times and the symbolizer for the fuzz programs; the icon
# renderer, the Debian tools and the desktop-file, AppStream and manual-page checkers for the
# package; pyvisa with its pure-Python back-end, the instrument client the remote control is
# tested with; libtirpc and rpcgen for VXI-11, with rpcbind and lxi-tools, the clients its
# tests run in a namespace of their own; Avahi's client library for announcing on the
# network, with the Avahi and D-Bus daemons and avahi-browse its test starts in that namespace;
# pymeasure for the Python driver; the mingw-w64 cross compiler, GoogleTest's sources
# and Wine for the Windows build and its tests; libmicrohttpd and nlohmann-json for the HTTP
# server, promtool from the prometheus package, chromium with its driver and selenium for the
# tests of the HTTP server and its live page; libmosquitto for MQTT, with Debian's broker, its
# clients and paho-mqtt for its tests).
# Packages already present are skipped, so a prepared machine is not touched. Named on the
# command line, only those packages are installed (a script that needs fewer).
set -euo pipefail

all_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n qt6-tools-dev qt6-l10n-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic
  xvfb xauth imagemagick
  clang-14 libclang-rt-14-dev llvm-14
  librsvg2-bin dpkg-dev file man-db desktop-file-utils appstream lintian
  python3-pyvisa python3-pyvisa-py
  libtirpc-dev rpcsvc-proto rpcbind lxi-tools iproute2
  libavahi-client-dev avahi-daemon avahi-utils dbus-daemon python3-pymeasure
  g++-mingw-w64-x86-64-posix googletest wine wine64
  libmicrohttpd-dev nlohmann-json3-dev prometheus chromium chromium-driver python3-selenium
  libmosquitto-dev mosquitto mosquitto-clients python3-paho-mqtt openssl
)
if [ $# -gt 0 ]; then
  packages=("$@")
else
  packages=("${all_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
