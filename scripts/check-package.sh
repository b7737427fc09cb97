#!/usr/bin/env bash
# CI: builds the Debian package and checks it as a user's machine and Debian's tools would
# see it. The package is installed with dpkg into a scratch root that has a dpkg database
# of its own (not unpacked with dpkg -x), so that dpkg itself accepts the package, records
# its files and checks them against the package's md5sums, and removes it again without
# leaving a file behind; the machine's own system is never touched. Then: every file where
# it belongs with its owner and mode, the icons at their sizes, stripped programs, the
# desktop entry, the AppStream metainfo and the manual pages through their validators,
# lintian with no error, the compiled translation against its source, and the installed
# programs started once, keeping their settings and system log in the user's folder in the
# language the settings ask for.
#
# Prints every failed check and exits 1 when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scratch=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
step() {
  echo
  echo "=== $*"
}

step "Building the package"
bash scripts/package.sh | tee "$scratch/package.log"
deb=$(tail -n 1 "$scratch/package.log")

app_id=io.github.quorel.Quorel
project_version=$(sed -n 's/^project(Quorel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
version=$project_version-1
arch=$(dpkg --print-architecture)

step "Control fields"
[ "$(basename "$deb")" = "quorel_${version}_${arch}.deb" ] ||
  fail "package file $(basename "$deb"), expected quorel_${version}_${arch}.deb"
[ "$(dpkg-deb -f "$deb" Package)" = quorel ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] ||
  fail "version $(dpkg-deb -f "$deb" Version), expected $version from the project"
changelog_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
[ "$changelog_version" = "$version" ] ||
  fail "the Debian changelog's latest entry is $changelog_version, the package $version"
for field in Section Priority Maintainer Description Installed-Size; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "control field $field is empty"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libstdc++6; do
  [[ "$depends" == *"$lib "* ]] || fail "Depends lacks $lib (dpkg-shlibdeps)"
done

step "Contents, owners and modes"
expected_files=(
  usr/bin/quorel
  usr/bin/quorel-sim
  usr/bin/quorelctl
  "usr/share/applications/$app_id.desktop"
  usr/share/doc/quorel/changelog.Debian.gz
  usr/share/doc/quorel/copyright
  "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  usr/share/man/man1/quorel-sim.1.gz
  usr/share/man/man1/quorel.1.gz
  usr/share/man/man1/quorelctl.1.gz
  "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/quorel/translations/quorel_en.qm
  usr/lib/python3/dist-packages/quorel/__init__.py
)
icon_sizes=(16 32 48 64 128 256)
for size in "${icon_sizes[@]}"; do
  expected_files+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done
dpkg-deb -c "$deb" > "$scratch/contents"
diff <(printf '%s\n' "${expected_files[@]}" | sort) \
     <(awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' "$scratch/contents" | sort) ||
  fail "the package's files differ from the expected list (< expected, > packaged)"
awk '$2 != "root/root" { print "owner " $2 ": " $6 }
     $1 ~ /^d/ && $1 != "drwxr-xr-x" { print "mode " $1 ": " $6 }
     $1 ~ /^-/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x" { print "mode " $1 ": " $6 }
     $1 ~ /^-/ && $6 !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--" { print "mode " $1 ": " $6 }
     $1 !~ /^[-d]/ { print "not a plain file or folder: " $6 }' "$scratch/contents" \
  > "$scratch/modes"
[ ! -s "$scratch/modes" ] || { cat "$scratch/modes" >&2; fail "owners or modes"; }

step "Installing into a scratch root with dpkg"
sysroot=$scratch/root
mkdir -p "$sysroot/var/lib/dpkg/info" "$sysroot/var/lib/dpkg/updates" \
  "$sysroot/var/lib/dpkg/triggers"
touch "$sysroot/var/lib/dpkg/status" "$sysroot/var/lib/dpkg/available"
# The libraries it depends on are the machine's, outside the scratch root's database.
dpkg --root="$sysroot" --log=/dev/null --force-depends -i "$deb" || fail "dpkg -i"
dpkg --root="$sysroot" -V quorel || fail "installed files differ from the package's md5sums"
[ "$(dpkg-query --root="$sysroot" -W -f='${Status}' quorel)" = "install ok installed" ] ||
  fail "dpkg does not record quorel as installed"

step "Installed files"
for size in "${icon_sizes[@]}"; do
  png=$sysroot/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  [[ "$(file -b "$png")" == "PNG image data, $size x $size,"* ]] ||
    fail "icon ${size}x${size}: $(file -b "$png")"
done
for program in quorel quorelctl quorel-sim; do
  binary=$sysroot/usr/bin/$program
  description=$(file -b "$binary")
  [[ "$description" == ELF*", stripped" ]] || fail "$program is not a stripped ELF: $description"
  ! readelf -d "$binary" | grep -qE 'RPATH|RUNPATH' || fail "$program carries a run path"
done
# The Python driver as Debian's python3 finds it, with the pymeasure the package depends on.
[[ "$depends" == *"python3-pymeasure"* ]] || fail "Depends lacks python3-pymeasure"
PYTHONDONTWRITEBYTECODE=1 PYTHONPATH=$sysroot/usr/lib/python3/dist-packages /usr/bin/python3 \
  -c 'import quorel; quorel.Quorel.voltage_setpoint; quorel.QuorelError(-222, "x").code' ||
  fail "the installed Python module quorel does not import"
desktop=$sysroot/usr/share/applications/$app_id.desktop
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$sysroot/usr/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, not installed"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$sysroot/usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] ||
  fail "the desktop entry's icon $icon_name is not in the hicolor theme"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
  "$sysroot/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo does not launch $app_id.desktop"

step "Translations"
# Every finished message of the source file is in the compiled one, none more.
lconvert=/usr/lib/qt6/bin/lconvert
qm=$sysroot/usr/share/quorel/translations/quorel_en.qm
"$lconvert" -i "$qm" -of ts -o "$scratch/installed.ts" || fail "lconvert cannot read $qm"
source_count=$(grep -c '<translation>' resources/translations/quorel_en.ts || true)
installed_count=$(grep -c '<translation>' "$scratch/installed.ts" || true)
echo "quorel_en.qm: $installed_count translations, the source file $source_count"
[ "$source_count" -gt 0 ] && [ "$installed_count" -eq "$source_count" ] ||
  fail "the compiled translation holds $installed_count of $source_count messages"
! grep -q 'type="unfinished"' resources/translations/quorel_en.ts ||
  fail "the translation file has unfinished messages"

step "desktop-file-validate"
desktop-file-validate "$desktop" || fail "desktop-file-validate"

step "appstreamcli validate --no-net"
appstreamcli validate --no-net "$sysroot/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "appstreamcli validate"

step "Manual pages"
for page in "$sysroot"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 \
    >/dev/null) || fail "man cannot render $(basename "$page")"
  [ -z "$warnings" ] || { echo "$warnings" >&2; fail "groff warnings in $(basename "$page")"; }
  echo "$(basename "$page"): renders without warnings"
done

step "lintian"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || fail "lintian reports an error"

step "The installed programs"
"$sysroot/usr/bin/quorelctl" help > "$scratch/help" || fail "quorelctl help"
grep -q '^usage: quorelctl' "$scratch/help" || fail "quorelctl help prints no usage"
"$sysroot/usr/bin/quorel-sim" --help > "$scratch/sim-help" || fail "quorel-sim --help"
grep -q '^usage: quorel-sim' "$scratch/sim-help" || fail "quorel-sim --help prints no usage"
# The simulated supply answers the command line tool through a link of its own.
link=$scratch/psu
"$sysroot/usr/bin/quorel-sim" --link "$link" < /dev/null > "$scratch/sim.log" &
sim_pid=$!
for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
"$sysroot/usr/bin/quorelctl" info --port "$link" > "$scratch/info" 2>&1 ||
  { cat "$scratch/info" >&2; fail "quorelctl info against the simulated supply"; }
grep -q '^firmware' "$scratch/info" || fail "quorelctl info shows no firmware version"
# An installed program keeps its settings and relatively named logs in the user's folder
# ($XDG_CONFIG_HOME/quorel), never beside itself in bin/, even when run by root.
config=$scratch/config
mkdir -p "$config/quorel"
printf '[QUOREL]\r\nUseSysLogFile=1\r\n[DISPLAY]\r\nLanguage=en\r\n' > "$config/quorel/Quorel.ini"
XDG_CONFIG_HOME=$config "$sysroot/usr/bin/quorelctl" on --port "$link" > "$scratch/on" 2>&1 ||
  { cat "$scratch/on" >&2; fail "quorelctl on against the simulated supply"; }
grep -q '^Output switched ON$' "$scratch/on" || fail "quorelctl does not speak the English of its settings"
grep -q '\] Output switched ON' "$config/quorel/system.log" ||
  fail "quorelctl wrote no English system log in the user's settings folder"
kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
sim_pid=
# The panel opens and keeps running (on Qt's offscreen platform) until it is stopped.
status=0
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=offscreen timeout 5 "$sysroot/usr/bin/quorel" \
  > "$scratch/panel.log" 2>&1 || status=$?
[ "$status" -eq 124 ] ||
  { cat "$scratch/panel.log" >&2; fail "the panel ended by itself with status $status"; }
grep -q '\] Control program started' "$config/quorel/system.log" ||
  fail "the panel wrote no English system log in the user's settings folder"
left_beside=$(find "$sysroot/usr/bin" -type f ! -name quorel ! -name quorelctl ! -name quorel-sim)
[ -z "$left_beside" ] || fail "the installed programs wrote beside themselves: $left_beside"

step "Removing it again"
dpkg --root="$sysroot" --log=/dev/null -P quorel || fail "dpkg -P"
left=$(find "$sysroot/usr" -type f 2>/dev/null || true)
[ -z "$left" ] || fail "files left after removal: $left"

echo
if [ "$failures" -ne 0 ]; then
  echo "check-package: $failures check(s) failed" >&2
  exit 1
fi
echo "check-package: $deb passes every check"
