#!/usr/bin/env bash
# An OpenWrt package of a static modemswitch, as opkg installs it:
#   tools/ipk.sh BINARY OPENWRT_ARCH OUT_DIR
# Writes OUT_DIR/modemswitch_VERSION_OPENWRT_ARCH.ipk and prints its path.
# Like OpenWrt's own packages it is a gzip'd tar of ./debian-binary,
# ./data.tar.gz (usr/bin/modemswitch; no manual page, as OpenWrt ships none)
# and ./control.tar.gz (./control). The binary is static: no Depends.
# The same binary gives the same bytes: every member is dated by
# debian/changelog's last entry, owned by root, in a fixed order.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
binary=$1 arch=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
# shellcheck source=tools/release_files.sh
source "$root/tools/release_files.sh"
ipk=$out/modemswitch_${version}_$arch.ipk
work=$(mktemp -d /tmp/modemswitch-ipk.XXXXXX)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/data/usr/bin" "$work/control" "$work/outer"
install -m 0755 "$binary" "$work/data/usr/bin/modemswitch"
# The description is the Debian package's, one place for both.
description=$(sed -n '/^Package: modemswitch/,$ { /^Description:/,$p }' "$root/debian/control")
cat >"$work/control/control" <<EOF
Package: modemswitch
Version: $version
Architecture: $arch
Section: utils
Maintainer: $(sed -n 's/^Maintainer: //p' "$root/debian/control")
License: $(sed -n 's/^License: //p' "$root/debian/copyright" | head -n 1)
Installed-Size: $(stat -c %s "$work/data/usr/bin/modemswitch")
$description
EOF
echo "2.0" >"$work/outer/debian-binary"
(cd "$work/data" && reproducible_tar .) >"$work/outer/data.tar.gz"
(cd "$work/control" && reproducible_tar .) >"$work/outer/control.tar.gz"
# opkg reads the members in this order, as OpenWrt's ipkg-build writes them.
(cd "$work/outer" && reproducible_tar ./debian-binary ./data.tar.gz ./control.tar.gz) >"$work/package.ipk"
mv "$work/package.ipk" "$ipk"
echo "$ipk"
