#!/usr/bin/env bash
# The set-up's decisions on apt's answers, fed as text (no mirror): which
# indexes failed, which packages apt refuses and why, what this host needs,
# and the retries and the install without the refused packages.
#   packages_test.sh
set -uo pipefail

# shellcheck source=tools/setup/packages.sh
source "$(dirname "$0")/../packages.sh"

# A stand-in for apt-get: its first APT_FAILS calls print the case's apt
# answer and fail, as apt does; later ones succeed. Each call is recorded.
apt-get() {
  echo "$1 ${*: -1}" >>"$calls"
  [ "$(wc -l <"$calls")" -gt "${APT_FAILS:-0}" ] || { cat "$answer"; return 100; }
}
# flow FUNCTION ARG...: apt-get's calls (first and last argument) and the exit status.
flow() {
  local status=0
  : >"$calls"
  MODEMSWITCH_APT_PAUSE=0 "$@" 2>/dev/null || status=$?
  echo "exit $status" >>"$calls"
  joined <"$calls"
}
joined() { awk '{ printf "%s%s", (NR > 1 ? ", " : ""), $0 } END { print "" }'; }
host_archs() {
  # shellcheck disable=SC2046
  setup_foreign_archs $(setup_packages $(setup_groups_for_host "$1"))
}

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
calls=$work/calls answer=$work/answer

# "== COMMAND => EXPECTED (the output's lines joined by ', ')", then the apt
# answer the command reads (on stdin, and from the stand-in apt-get).
cases=$(cat <<'EOF'
== setup_failed_indexes => bookworm-security/main arm64, bookworm-security/main i386, bookworm-updates
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (12345 != 23456). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-arm64/Packages.xz  File has unexpected size (3456 != 4567). Mirror sync in progress? [IP: 151.101.2.132 80]
W: Failed to fetch http://deb.debian.org/debian/dists/bookworm-updates/InRelease  Could not connect to deb.debian.org:80
E: Some index files failed to download. They have been ignored, or old ones used instead.
== setup_unmet => wine32:i386|libwine:i386|8.0~repack-4|8.0~repack-4+deb12u1, wine32:i386|gpgv||, wine32:i386|libz1:i386||, libstdc++-12-dev:armhf|libgcc-12-dev:armhf|12.2.0-14|
The following packages have unmet dependencies:
 wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed
               Recommends: libgl1-mesa-dri:i386
               Depends: gpgv or
                        gpgv2 but it is not going to be installed
               PreDepends: libz1:i386 but it is not going to be installed
 libstdc++-12-dev:armhf : Depends: libgcc-12-dev:armhf (= 12.2.0-14) but it is not installable
E: Unable to correct problems, you have held broken packages.
== setup_refused cmake wine32:i386 libc6-dev:armhf libstdc++-12-dev:armhf => libc6-dev:armhf, libstdc++-12-dev:armhf, wine32:i386
The following packages have unmet dependencies:
 wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed
 libgcc-12-dev:armhf : Depends: libgcc-s1:armhf (= 12.2.0-14) but 12.2.0-14+deb12u1 is to be installed
E: Unable to correct problems, you have held broken packages.
== setup_refused cmake nosuchpackage =>
E: Unable to locate package nosuchpackage
== setup_skew_line amd64 wine32:i386 libc6-dev:armhf => setup: apt refuses wine32:i386, libc6-dev:armhf: their versions no longer match the amd64 ones (wine32:i386 needs libwine:i386 8.0~repack-4, 8.0~repack-4+deb12u1 is to be installed; libc6-dev:armhf needs libc6:armhf 2.36-9+deb12u7, 2.36-9+deb12u14 is to be installed; libc6-dev:armhf needs libc-dev-bin:armhf 2.36-9+deb12u7). That is the package mirror mid-sync, not this project: wait for the mirror and run again, or install the matching versions (apt-get install wine32:i386 libwine:i386=8.0~repack-4 libc6-dev:armhf libc6:armhf=2.36-9+deb12u7 libc-dev-bin:armhf=2.36-9+deb12u7); going on without them
The following packages have unmet dependencies:
 wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed
 libc6-dev:armhf : Depends: libc6:armhf (= 2.36-9+deb12u7) but 2.36-9+deb12u14 is to be installed
                   Depends: libc-dev-bin:armhf (= 2.36-9+deb12u7)
E: Unable to correct problems, you have held broken packages.
== host_archs yes => arm64, armhf, i386
== host_archs no => arm64, armhf
== APT_FAILS=3 flow setup_update => update -qq, update -qq, update -qq, exit 0
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (12345 != 23456). Mirror sync in progress? [IP: 151.101.2.132 80]
== APT_FAILS=1 flow setup_update => update -qq, update -qq, exit 0
E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)
== APT_FAILS=1 flow setup_install amd64 cmake wine32:i386 => install wine32:i386, install cmake, exit 0
 wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed
E: Unable to correct problems, you have held broken packages.
== APT_FAILS=1 flow setup_install amd64 cmake => install cmake, exit 1
E: Sub-process /usr/bin/dpkg returned an error code (1)
EOF
)

failures=0 total=0
check() {
  local command=$1 expected=$2 actual
  total=$((total + 1))
  printf '%s' "$body" >"$answer"
  actual=$(eval "$command" <"$answer" | joined)
  [ "$actual" = "$expected" ] && return
  failures=$((failures + 1))
  printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$command" "$expected" "$actual"
}
command='' body=''
while IFS= read -r line; do
  if [[ $line == "== "* ]]; then
    [ -z "$command" ] || check "$command" "$expected"
    line=${line#== } command=${line%% =>*} expected=${line#*=> } body=
    [[ $line == *" =>" ]] && expected=
  else
    body+=$line$'\n'
  fi
done <<<"$cases"
check "$command" "$expected"
echo "set-up decisions: $((total - failures)) of $total cases pass"
[ "$failures" -eq 0 ]
