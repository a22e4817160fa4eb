#!/usr/bin/env bash
# The Windows download, OUT_DIR/modemswitch-VERSION-windows.zip (default out/):
#   tools/windows-zip.sh EXE [OUT_DIR]
# It holds the program EXE as modemswitch.exe, README.txt (docs/
# windows-readme.ru.txt in Windows-1251 with CRLF line ends, so Notepad on XP
# shows it), LICENSE.txt (CRLF) and SHA256SUMS of the three, and prints the
# zip's path. The same sources give the same bytes: each file is dated by
# debian/changelog's last entry, mode 0644, stored in a fixed order, without
# the extra fields that carry owners and exact times.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=$1
out=$(mkdir -p "${2:-$root/out}" && cd "${2:-$root/out}" && pwd)
# shellcheck source=tools/release_files.sh
source "$root/tools/release_files.sh"
zip=$out/modemswitch-$version-windows.zip
files=(modemswitch.exe README.txt LICENSE.txt SHA256SUMS)
work=$(mktemp -d /tmp/modemswitch-zip.XXXXXX)
trap 'rm -rf "$work"' EXIT

crlf() { sed 's/$/\r/'; }
cp "$exe" "$work/modemswitch.exe"
iconv -f UTF-8 -t CP1251 "$root/docs/windows-readme.ru.txt" | crlf >"$work/README.txt"
crlf <"$root/LICENSE" >"$work/LICENSE.txt"
(cd "$work" && sha256sum "${files[@]:0:3}" >SHA256SUMS)
(cd "$work" && chmod 0644 "${files[@]}" && touch -d "@$date" "${files[@]}")
# zip keeps the local time in its entries: UTC, whatever this machine's zone.
(cd "$work" && TZ=UTC zip -q -X -D "$work/download.zip" "${files[@]}")
mv "$work/download.zip" "$zip"
echo "$zip"
