#!/usr/bin/env bash
# Builds the Debian package with scripts/package and checks what a user would
# install: exactly the program, its menu entry, icon, software-centre entry,
# manual page and Debian's changelog and copyright (covering both licences);
# run-time dependencies on Qt 6's libraries and on no -dev package; nothing
# lintian warns about; metainfo that appstreamcli accepts with no remark but
# the two tolerated below.
# Usage: tst_package.sh SOURCE_DIR
set -euo pipefail

source=${1:?usage: tst_package.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! "$source/scripts/package" >"$work/build.log" 2>&1; then
  tail -n 40 "$work/build.log"
  echo "FAIL: scripts/package did not build the package"
  exit 1
fi
deb=$source/build-package/vellorin_1.00_$(dpkg-architecture -q DEB_HOST_ARCH).deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }
[ "$(dpkg-deb -f "$deb" Version)" = 1.00 ] || fail "package version is '$(dpkg-deb -f "$deb" Version)', expected 1.00"

id=org.vellorin.vellorin
doc=usr/share/doc/vellorin
# Every entry that is not a directory (files and links alike), nothing else.
expected=$(printf '%s\n' usr/bin/vellorin \
  usr/share/applications/$id.desktop \
  usr/share/icons/hicolor/scalable/apps/$id.svg \
  usr/share/metainfo/$id.metainfo.xml \
  usr/share/man/man1/vellorin.1.gz \
  $doc/changelog.gz $doc/copyright | sort)
listing=$(dpkg-deb -c "$deb")
actual=$(awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' <<<"$listing" | sort)
[ "$actual" = "$expected" ] || fail "package contents differ:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"
grep -Eq '^-rwxr-xr-x root/root .* \./usr/bin/vellorin$' <<<"$listing" || fail "usr/bin/vellorin is not an executable owned by root"

# Depends as dh_shlibdeps wrote it: the Qt 6 run-time libraries, under the
# names of the packages that hold them on this release (on Debian 13 some
# carry the t64 suffix of its 64-bit time ABI), and no -dev package.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | awk 'NF { print $1 }')
for library in libQt6Core.so.6 libQt6Gui.so.6 libQt6Widgets.so.6; do
  package=$(dpkg -S "*/$library" | awk -F: 'NR == 1 { print $1 }')
  [ -n "$package" ] && grep -qx "$package" <<<"$names" || fail "Depends does not name ${package:-the package of $library}: $depends"
done
! grep -q -- '-dev$' <<<"$names" || fail "Depends names a -dev package: $depends"

dpkg-deb -x "$deb" "$work/root"
copyright=$work/root/$doc/copyright
grep -qx 'License: MIT' "$copyright" && grep -qx 'Files: platform/fonts/\*' "$copyright" &&
  grep -qx 'License: GPL-2 with Font exception' "$copyright" ||
  fail "the copyright file does not cover the program's and the typeface's licences"

# The metainfo, as appstreamcli reads it. Two remarks name nothing a true
# value could mend, and are tolerated by name:
# - url-homepage-missing (appstream 1.0): the project has no homepage yet;
# - unknown-tag developer (appstream 0.16): <developer> with its id is the
#   form 1.0 asks for, in place of <developer_name>, which 0.16 predates.
tolerated='url-homepage-missing|unknown-tag developer'
metainfo=$work/root/usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no metainfo in the package"
validation=0
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || validation=$?
remarks=$(grep -E '^[EWIP]: ' <<<"$report" || true)
untolerated=$(grep -Ev "^[EWIP]: [^ ]*: ($tolerated)\$" <<<"$remarks" || true)
if [ -n "$untolerated" ] || { [ "$validation" -ne 0 ] && [ -z "$remarks" ]; }; then
  fail "appstreamcli validate:"$'\n'"$report"
fi

# lintian runs the same validation and reports any failure of it under one
# tag; that tag is let through only when the tolerated remarks were all
# there was to it.
suppress=()
[ "$validation" -ne 0 ] && [ -z "$untolerated" ] && suppress=(--suppress-tags appstream-metadata-validation-failed)
if ! report=$(lintian --fail-on error,warning "${suppress[@]}" "$deb" 2>&1); then
  fail "lintian:"$'\n'"$report"
fi

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") is complete; Depends: $depends"
