# shellcheck shell=bash
# Sourced by every test here. The tests run the package as installed
# (autopkgtest), or the package unpacked into MODEMSWITCH_ROOT by the
# project's test command, whose binary may be another processor's, run under
# MODEMSWITCH_EMULATOR (qemu-user).
set -uo pipefail

package_root=${MODEMSWITCH_ROOT:-}
modemswitch=$package_root/usr/bin/modemswitch
emulator=${MODEMSWITCH_EMULATOR:-}

# modemswitch_in LOCALE [ARG]...: the program run with LC_ALL=LOCALE (through
# env: bash itself would warn of a locale this machine lacks).
# shellcheck disable=SC2086 # the emulator is one word or none
modemswitch_in() { env LC_ALL="$1" $emulator "$modemswitch" "${@:2}"; }
fail() { echo "$*" >&2; exit 1; }
