#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks what landed where, runs
# the platform's validators on the menu entry and the metadata, starts the
# installed program, then uninstalls and checks nothing is left.
#   check_install.sh BUILD_DIR APP_ID "ICON SIZES"
set -uo pipefail
build=$1 app_id=$2 sizes=$3
source_dir=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
manifest=$build/install_manifest.txt
# A user's own install keeps its manifest for a later uninstall.
[ -f "$manifest" ] && cp -p "$manifest" "$work/manifest.saved"
restore() {
  if [ -f "$work/manifest.saved" ]; then cp -p "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
trap restore EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

program=$prefix/bin/velvane
entry=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
[ -x "$program" ] || fail "no program at $program"
[ -f "$entry" ] || fail "no desktop entry at $entry"
[ -f "$metainfo" ] || fail "no metadata at $metainfo"
for size in $sizes; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  if [ ! -f "$icon" ]; then
    fail "no ${size}x${size} icon"
  elif [ "$(identify -format '%wx%h' "$icon")" != "${size}x${size}" ]; then
    fail "$icon is $(identify -format '%wx%h' "$icon"), not ${size}x${size}"
  fi
done

# The entry must start this install's program and name the installed icon.
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Exec)" = "$program" ] || fail "Exec is '$(key Exec)', not $program"
[ "$(key Icon)" = "$app_id" ] || fail "Icon is '$(key Icon)', not $app_id"
[ "$(key Terminal)" = false ] || fail "Terminal is '$(key Terminal)'"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" || fail "metadata does not launch $app_id.desktop"

# The validators: errors fail, and so do warnings, which stores reject.
if ! command -v desktop-file-validate >/dev/null; then
  fail "desktop-file-validate is missing (bash tools/setup.sh installs desktop-file-utils)"
elif ! out=$(desktop-file-validate "$entry" 2>&1) || [ -n "$out" ]; then
  fail "desktop-file-validate: $out"
fi
if ! command -v appstreamcli >/dev/null; then
  fail "appstreamcli is missing (bash tools/setup.sh installs appstream)"
elif ! out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1); then
  fail "appstreamcli validate: $out"
else
  echo "appstreamcli: $out"
fi

# The installed program runs on its own, away from the build folder: it is
# still up after two seconds.
mkdir -p "$work/data"
(cd "$work" && XDG_DATA_HOME=$work/data SDL_NO_SIGNAL_HANDLERS=1 timeout -k 2 2 "$program" >"$work/run.log" 2>&1)
status=$?
[ $status -eq 124 ] || [ $status -eq 137 ] || { cat "$work/run.log"; fail "installed program ended by itself (status $status)"; }

# Uninstalling removes every file the install wrote.
cmake -DMANIFEST="$manifest" -P "$source_dir/uninstall.cmake" >"$work/uninstall.log" 2>&1 || { cat "$work/uninstall.log"; fail "uninstall"; }
left=$(find "$prefix" -type f)
[ -z "$left" ] || fail "left after uninstall: $left"

[ $failures -eq 0 ] && echo "install, validators, start and uninstall all passed"
exit $((failures > 0))
