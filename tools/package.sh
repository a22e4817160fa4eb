#!/usr/bin/env bash
# Builds the Debian package of the Linux command line (debian/) from a copy of
# the source tree, so the tree itself gets no build output:
#   tools/package.sh [OUT_DIR]        (default: out/)
# Leaves the binary package, its debug symbols, the source package and the
# .changes that lists them in OUT_DIR, and prints the .changes file's path.
# Needs dpkg-dev, debhelper, cmake and scdoc (tools/setup.sh installs them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/out}" && cd "${1:-$root/out}" && pwd)
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

(cd "$work/modemswitch" && dpkg-buildpackage -us -uc) >"$work/build.log" 2>&1 ||
  { echo "package: dpkg-buildpackage failed:" >&2; tail -n 30 "$work/build.log" >&2; exit 1; }
changes=$(cd "$work" && ls modemswitch_*.changes)
# The .changes names every file of the upload; they go out together.
for file in "$changes" $(sed -n '/^Files:/,/^[^ ]/s/^ .* \([^ ]*\)$/\1/p' "$work/$changes"); do
  cp "$work/$file" "$out/"
done
echo "$out/$changes"
