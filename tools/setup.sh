#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12, as root.
# Idempotent: when every package is present it only checks and returns.
# A package mirror mid-sync does not stop it: see tools/setup/packages.sh.
# Exit status: 0 all installed; 2 some packages apt refused (a mirror
# mid-sync: said in one line; the rest is installed and the checks that need
# them fail by name); 1 failed.
set -euo pipefail
trap 'echo "setup: failed: $BASH_COMMAND" >&2' ERR

# shellcheck source=tools/setup/packages.sh
source "$(dirname "$0")/setup/packages.sh"

runs32=$(setup_runs_32bit)
# shellcheck disable=SC2046 # group and package names are single words
mapfile -t packages < <(setup_packages $(setup_groups_for_host "$runs32"))
mapfile -t missing < <(setup_not_installed "${packages[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
[ "$runs32" = yes ] || echo "setup: this host cannot run 32-bit programs: no 32-bit Wine"
for arch in $(setup_foreign_archs "${packages[@]}"); do
  dpkg --print-foreign-architectures | grep -qx "$arch" || dpkg --add-architecture "$arch"
done
export DEBIAN_FRONTEND=noninteractive
setup_update
setup_install "$(dpkg --print-architecture)" "${packages[@]}"
mapfile -t missing < <(setup_not_installed "${packages[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: not installed: ${missing[*]}; the checks that need them fail by name" >&2
exit 2
