#!/usr/bin/env bash
# The download of a static modemswitch for a Linux box:
#   tools/tarball.sh TREE CPU OUT_DIR
# TREE is the CPU's build tree (build/linux-CPU). Writes
# OUT_DIR/modemswitch-VERSION-linux-CPU.tar.gz, one folder of that name with
# the stripped binary, its manual pages (English, Russian), a README (docs/
# linux-static-readme.txt) and LICENSE, and prints its path. The same tree
# gives the same bytes: every member dated by debian/changelog's last entry,
# owned by root, in name order.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tree=$1 cpu=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
# shellcheck source=tools/release_files.sh
source "$root/tools/release_files.sh"
name=modemswitch-$version-linux-$cpu
work=$(mktemp -d /tmp/modemswitch-tarball.XXXXXX)
trap 'rm -rf "$work"' EXIT

mkdir "$work/$name"
install -m 0755 "$tree/linux/modemswitch-stripped" "$work/$name/modemswitch"
install -m 0644 "$tree/linux/modemswitch.1" "$tree/linux/modemswitch.ru.1" "$root/LICENSE" "$work/$name/"
sed -e "s/@VERSION@/$version/" -e "s/@CPU@/$cpu/" "$root/docs/linux-static-readme.txt" >"$work/$name/README"
(cd "$work" && reproducible_tar "$name") >"$work/download.tar.gz"
mv "$work/download.tar.gz" "$out/$name.tar.gz"
echo "$out/$name.tar.gz"
