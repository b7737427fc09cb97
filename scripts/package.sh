#!/usr/bin/env bash
# Builds the Debian package: sets up the machine, builds the three programs as a release
# build in build-pkg/ with Debian's hardening flags, runs CPack and prints the path of the
# .deb on the last line. Install it with: apt install ./build-pkg/quorel_*.deb
#
# QUOREL_PKG_BUILD_DIR=<dir> builds elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${QUOREL_PKG_BUILD_DIR:-$root/build-pkg}
bash scripts/install-deps.sh

# Debian's flags for a package: optimisation, stack protector, fortified functions,
# read-only relocations and immediate binding. CMake reads no CPPFLAGS, so the
# preprocessor's share goes with the compiler's.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUOREL_BUILD_TESTS=OFF -DQUOREL_BUILD_BENCH=OFF -DQUOREL_BUILD_FUZZ=OFF \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS"
cmake --build "$build" -j2

rm -f "$build"/quorel_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/quorel_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: CPack made no single quorel package" >&2
  exit 1
fi
echo "${debs[0]}"
