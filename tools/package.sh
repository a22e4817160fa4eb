#!/usr/bin/env bash
# Builds the Debian package of the Linux command line (debian/) from a copy of
# the source tree, so the tree itself gets no build output:
#   tools/package.sh [ARCH] [OUT_DIR]   (default: this machine's, out/)
# ARCH is a Debian architecture: amd64, arm64 or armhf. This machine's own
# gives the source package too; another is cross-built (dpkg-buildpackage -a),
# its binary package alone. Leaves the binary package, its debug symbols and
# the .changes that lists them in OUT_DIR, and prints the .changes file's path.
# Needs dpkg-dev, debhelper, cmake and scdoc, and for another architecture its
# cross compiler and libraries (tools/setup.sh installs them all).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
native=$(dpkg --print-architecture)
arch=${1:-$native}
out=$(mkdir -p "${2:-$root/out}" && cd "${2:-$root/out}" && pwd)
case $arch in
  amd64 | arm64 | armhf) ;;
  *) echo "package: no package for architecture '$arch' (amd64, arm64, armhf)" >&2; exit 64 ;;
esac
if [ "$arch" = "$native" ]; then
  build=(dpkg-buildpackage -us -uc)
else
  build=(dpkg-buildpackage -us -uc -B -a "$arch" "-Pcross,nocheck")
fi
work=$(mktemp -d /tmp/modemswitch-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

# What git tracks, and new files it does not ignore; without git, all but
# the build folders.
mkdir "$work/modemswitch"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$work/modemswitch"
else
  tar -C "$root" --exclude=./build --exclude=./out -cf - . | tar -xf - -C "$work/modemswitch"
fi

(cd "$work/modemswitch" && "${build[@]}") >"$work/build.log" 2>&1 ||
  { echo "package: ${build[*]} failed:" >&2; tail -n 30 "$work/build.log" >&2; exit 1; }
changes=$(cd "$work" && ls modemswitch_*_"$arch".changes)
# The .changes names every file of the upload; they go out together.
for file in "$changes" $(sed -n '/^Files:/,/^[^ ]/s/^ .* \([^ ]*\)$/\1/p' "$work/$changes"); do
  cp "$work/$file" "$out/"
done
echo "$out/$changes"
