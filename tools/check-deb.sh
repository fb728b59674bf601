#!/usr/bin/env bash
# Checks the .deb that cpack made in a build tree as a distribution would: what it
# holds (the program stripped, the menu entry, the icons, the manual page, changelog and
# copyright file), its description, its menu entry (desktop-file-validate, not even a
# hint; a name and comment in each catalogue's language), the captions' fonts it
# recommends and lintian (no errors; its other findings are printed).
# Usage: check-deb.sh PACKAGE.deb
set -euo pipefail
deb="${1:?usage: check-deb.sh PACKAGE.deb}"
fail() {
  echo "check-deb.sh: $*" >&2
  exit 1
}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"

icons=()
for size in 32 64 128 256 512; do icons+=("usr/share/icons/hicolor/${size}x${size}/apps/morvane.png"); done
for f in usr/bin/morvane usr/lib/morvane/morvane-atk.so usr/share/applications/morvane.desktop "${icons[@]}" \
         usr/share/man/man1/morvane.1.gz usr/share/doc/morvane/copyright usr/share/doc/morvane/changelog.gz; do
  [ -f "$tmp/$f" ] || fail "the .deb has no $f"
done
for f in "${icons[@]}"; do
  size=${f#usr/share/icons/hicolor/}
  size=${size%%x*}
  file -b "$tmp/$f" | grep -q "^PNG image data, $size x $size," || fail "$f is $(file -b "$tmp/$f")"
done
for f in usr/bin/morvane usr/lib/morvane/morvane-atk.so; do
  readelf -S "$tmp/$f" | grep -q '\.symtab' && fail "$f is not stripped"
done
gzip -t "$tmp/usr/share/man/man1/morvane.1.gz" "$tmp/usr/share/doc/morvane/changelog.gz"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$tmp/usr/share/man/man1/morvane.1.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "the manual page: $man_warnings"

description=$(dpkg-deb -f "$deb" Description)
synopsis=$(head -1 <<<"$description")
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "the description has no long part: $description"
grep -qi "what do enzymes do" <<<"$synopsis" && fail "the short description repeats the title: $synopsis"
grep -q "student" <<<"$description" || fail "the long description does not say what a student does"

hints=$(desktop-file-validate "$tmp/usr/share/applications/morvane.desktop" 2>&1) || fail "the menu entry: $hints"
[ -z "$hints" ] || fail "the menu entry: $hints"
# Each catalogue's language names the entry in its own words; the English lines stay.
entry="$tmp/usr/share/applications/morvane.desktop"
grep -qx "Name=What Do Enzymes Do?" "$entry" || fail "the menu entry lost its English name"
for po in "$(dirname "$0")"/../po/*.po; do
  language=$(basename "$po" .po)
  grep -q "^Name\[$language\]=" "$entry" && grep -q "^Comment\[$language\]=" "$entry" ||
    fail "the menu entry has no name or comment in $language"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for font in fonts-comic-neue fonts-noto-core fonts-noto-cjk; do
  grep -q "$font" <<<"$recommends" || fail "the .deb does not recommend $font (the captions' faces): $recommends"
done

echo "== lintian $(basename "$deb")"
# lintian says nothing for a package it finds no fault in.
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || fail "lintian found errors"
echo "check-deb.sh: $(basename "$deb") passed"
