#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what lands there: the
# program, a menu entry that desktop-file-validate accepts, the icon and the
# software-centre entry under one id, a manual page man reads without
# warnings, and the licences.
# Usage: tst_install.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: tst_install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

id=org.vellorin.vellorin
entry=share/applications/$id.desktop
icon=share/icons/hicolor/scalable/apps/$id.svg
metainfo=share/metainfo/$id.metainfo.xml
page=share/man/man1/vellorin.1.gz
licences=(share/doc/vellorin/LICENSE share/doc/vellorin/COPYING-LiberationFonts)

# Exactly these files, nothing else.
expected=$(printf '%s\n' bin/vellorin "$entry" "$icon" "$metainfo" "$page" "${licences[@]}" | sort)
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
for file in "$entry" "$icon" "$metainfo" "$page" "${licences[@]}"; do
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
  check Icon "$id"
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

# The software centre finds the entry and the icon through the metainfo's id.
if [ -e "$prefix/$metainfo" ]; then
  python3 - "$prefix/$metainfo" "$id" <<'PY' || fail "the metainfo does not name $id and its desktop entry"
import sys
import xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
app_id = sys.argv[2]
sys.exit(0 if root.findtext("id") == app_id
         and root.findtext("launchable[@type='desktop-id']") == app_id + ".desktop" else 1)
PY
fi

if [ -e "$prefix/$page" ]; then
  gzip -t "$prefix/$page" || fail "$page is not gzip-compressed"
  warnings=$(man --warnings -l "$prefix/$page" 2>&1 >/dev/null) || fail "man cannot show $page"
  [ -z "$warnings" ] || fail "man warns about $page: $warnings"
  MANWIDTH=80 man -l "$prefix/$page" 2>/dev/null | grep -Eq '^ +vellorin +- ' || fail "$page has no NAME line for vellorin"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed tree is complete: $(tr '\n' ' ' <<<"$expected")"
