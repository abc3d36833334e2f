#!/usr/bin/env bash
# The Windows installer, in a fresh wine prefix on its own virtual display:
# installed per machine without questions, it puts the program and its
# licences under Program Files\Vellorin and a shortcut in the Start menu,
# lists Vellorin among the installed programs with its version and
# publisher, and the installed program comes up on screen. A later version
# (the same installer made as 1.01) replaces it: one entry, the new version.
# Removing that leaves none of its files, shortcut or registry entries.
# Usage: tst_msi.sh DIST_DIR PACKAGING_DIR
set -euo pipefail

dist=$(realpath "$1")
packaging=$(realpath "$2")
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"

work=$(mktemp -d /tmp/vellorin-msi.XXXXXX)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver --kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

installed=$WINEPREFIX/drive_c/Program\ Files/Vellorin
# Installed per machine, the shortcut belongs in the Start menu of all users
# (ProgramData). wine's installer puts it in the installing user's instead:
# its msi/package.c sets ProgramMenuFolder from CSIDL_PROGRAMS whatever
# ALLUSERS says ("FIXME: set to AllUsers profile path if ALLUSERS is set"),
# while the program itself goes under Program Files and the entry among the
# installed programs under HKLM, both per machine. So the shortcut is looked
# for where wine puts it.
shortcut=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Vellorin.lnk
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# The installed programs' entries that name Vellorin, as "name|version|publisher".
read -r -d '' entries_program <<'AWK' || true
/^HKEY/ { if (name == "Vellorin") print name "|" version "|" publisher; name = version = publisher = "" }
$1 == "DisplayName" { name = substr($0, index($0, $3)) }
$1 == "DisplayVersion" { version = $3 }
$1 == "Publisher" { publisher = substr($0, index($0, $3)) }
END { if (name == "Vellorin") print name "|" version "|" publisher }
AWK
entries() {
  wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | awk "$entries_program"
}

wineboot --init >/dev/null 2>&1
msi=$dist/vellorin-1.00-x64.msi
[ -f "$msi" ] || { echo "FAIL: no installer at $msi"; exit 1; }

echo "Installing $(basename "$msi")"
wine msiexec /i "$msi" /qn || fail "msiexec /i ended with status $?"
cmp -s "$dist/vellorin.exe" "$installed/vellorin.exe" || fail "Program Files\\Vellorin\\vellorin.exe is not the built program"
for licence in "$dist"/licenses/*; do
  cmp -s "$licence" "$installed/licenses/$(basename "$licence")" ||
    fail "licenses\\$(basename "$licence") is not installed as built"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut Vellorin.lnk"
grep -aq 'Vellorin\\vellorin.exe' "$shortcut" 2>/dev/null || fail "the shortcut does not lead to Vellorin\\vellorin.exe"
[ "$(entries)" = "Vellorin|1.00|The Vellorin Team" ] ||
  fail "installed programs list '$(entries)', expected 'Vellorin|1.00|The Vellorin Team'"

# The installed program, started as the shortcut starts it, comes up.
wine "C:\\Program Files\\Vellorin\\vellorin.exe" >/dev/null 2>&1 &
program=$!
seen=""
for _ in $(seq 1 300); do
  if xdotool search --onlyvisible --name '^Instructions$' >/dev/null 2>&1; then
    seen=yes
    break
  fi
  sleep 0.1
done
[ -n "$seen" ] || fail "the installed program showed no instructions within 30 s"
wineserver --kill 2>/dev/null || true
wait "$program" 2>/dev/null || true

# A later version replaces this one.
later=$work/vellorin-1.01-x64.msi
wixl --arch x64 -D Version=1.01 -D SourceDir="$dist" -D Icon="$packaging/vellorin.ico" \
  -o "$later" "$packaging/vellorin.wxs" 2>/dev/null
echo "Installing version 1.01 over it"
wine msiexec /i "$later" /qn || fail "msiexec /i of 1.01 ended with status $?"
[ "$(entries)" = "Vellorin|1.01|The Vellorin Team" ] ||
  fail "after the upgrade the installed programs list '$(entries)', expected only 'Vellorin|1.01|The Vellorin Team'"
[ -f "$installed/vellorin.exe" ] || fail "the upgrade left no vellorin.exe"

echo "Removing it"
wine msiexec /x "$later" /qn || fail "msiexec /x ended with status $?"
[ ! -e "$installed" ] || fail "files left behind: $(find "$installed" | head -5 | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
[ -z "$(entries)" ] || fail "still among the installed programs: '$(entries)'"
if wine reg query 'HKLM\Software\Vellorin' >/dev/null 2>&1; then
  fail "HKLM\\Software\\Vellorin is still there"
fi

[ $failures -eq 0 ] || exit 1
echo "passed"
