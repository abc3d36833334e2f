#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what lands there: the
# program, a menu entry that desktop-file-validate accepts, and the icon.
# Usage: tst_install.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: tst_install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

entry=share/applications/vellorin.desktop
icon=share/icons/hicolor/scalable/apps/vellorin.svg

# Exactly these three files, nothing else.
expected=$(printf '%s\n' bin/vellorin "$entry" "$icon" | sort)
actual=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
[ "$actual" = "$expected" ] || fail "installed files differ:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"

[ -x "$prefix/bin/vellorin" ] || fail "bin/vellorin is not executable"
# The installed copy gets its own run path, so it is not byte for byte the
# built one; it must still load and be the program. Without a display it
# says so in one line and stops, before any window.
if [ -x "$prefix/bin/vellorin" ]; then
  status=0
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/vellorin" 2>&1) || status=$?
  [ "$status" -eq 1 ] && [[ "$said" == "vellorin: no display"* ]] ||
    fail "installed bin/vellorin did not start as the program (status $status): $said"
fi
for file in "$entry" "$icon"; do
  [ -e "$prefix/$file" ] || continue
  [ ! -x "$prefix/$file" ] || fail "$file is executable"
done

if [ -e "$prefix/$entry" ]; then
  # Errors make it exit non-zero; warnings only print, and count too.
  if ! report=$(desktop-file-validate "$prefix/$entry" 2>&1) || [ -n "$report" ]; then
    fail "desktop-file-validate: $report"
  fi
  key() { sed -n "s/^$1=//p" "$prefix/$entry"; }
  check() { [ "$(key "$1")" = "$2" ] || fail "$1 is '$(key "$1")', expected '$2'"; }
  check Type Application
  check Name Vellorin
  check 'Name\[en_US\]' Vellorin
  check Exec vellorin
  check Icon vellorin
  check Categories 'Education;Math;'
  check X-Vellorin-Version 1.00
  [ -n "$(key Comment)" ] || fail "no Comment"
  # The entry must start what was installed and show the icon that was.
  [ -x "$prefix/bin/$(key Exec)" ] || fail "Exec names no installed program"
  [ -e "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "Icon names no installed icon"
fi

if [ -e "$prefix/$icon" ]; then
  python3 - "$prefix/$icon" <<'PY' || fail "the icon is not an SVG image"
import sys
import xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == "{http://www.w3.org/2000/svg}svg" and root.get("viewBox") else 1)
PY
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed tree is complete: bin/vellorin, $entry, $icon"
