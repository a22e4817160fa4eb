#!/usr/bin/env bash
# tools/setup.sh's decisions on a day the package mirror is mid-sync, fed
# apt's answers as text (captured from real runs; no mirror is asked).
#   setup_test.sh SOURCE_DIR
set -uo pipefail
# shellcheck source=tools/setup.sh
source "${1:?usage: setup_test.sh SOURCE_DIR}/tools/setup.sh"

failures=0
expect() {  # NAME EXPECTED ACTUAL
  [ "$2" = "$3" ] && return
  printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  failures=$((failures + 1))
}

update_mid_sync='Get:1 http://deb.debian.org/debian bookworm InRelease [151 kB]
Err:7 http://deb.debian.org/debian-security bookworm-security/main i386 Packages
  File has unexpected size (146312 != 146656). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (146312 != 146656). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-armhf/by-hash/SHA256/4f2c  File has unexpected size (140904 != 141236). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Some index files failed to download. They have been ignored, or old ones used instead.'
install_skewed='Some packages could not be installed. This may mean that you have
requested an impossible situation or if you are using the unstable
distribution that some required packages have not yet been created
or been moved out of Incoming.
The following information may help to resolve the situation:

The following packages have unmet dependencies:
 wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-4+deb12u1 is to be installed
               Recommends: libgl1-mesa-dri:i386 but it is not going to be installed
E: Unable to correct problems, you have held broken packages.'
install_unfetched='E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/libwine_8.0.repack-4_i386.deb  404  Not Found [IP: 151.101.2.132 80]
E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?'

# Which lists are missing: "SUITE/COMPONENT ARCH", by-hash names too; none
# on a good day.
expect "lists a mirror mid-sync did not give" "bookworm-security/main armhf
bookworm-security/main i386" "$(failed_lists <<<"$update_mid_sync")"
expect "no list missing on a good day" "" "$(failed_lists <<<"Get:1 http://deb.debian.org/debian bookworm InRelease")"

# Why an install was refused: the skewed version, else apt's last error.
expect "the version skew named" "libwine:i386 8.0~repack-4, but 8.0~repack-4+deb12u1 is to be installed" \
  "$(refusal_reason <<<"$install_skewed")"
expect "another refusal in apt's words" "Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?" \
  "$(refusal_reason <<<"$install_unfetched")"

# Which other architectures a host wants: no i386 where 32-bit programs do not run.
expect "a host that runs 32-bit programs" "i386 arm64 armhf" "$(wanted_architectures yes | paste -sd' ')"
expect "a host that does not" "arm64 armhf" "$(wanted_architectures no | paste -sd' ')"
expect "no wine32 without 32-bit" "" "$(wanted_packages no | grep -x 'wine32:i386')"
expect "wine32 with it" "wine32:i386" "$(wanted_packages yes | grep -x 'wine32:i386')"

# What a refusal says: one line, the packages, the reason, the mirror.
line=$(skew_line "wine32:i386" "$(refusal_reason <<<"$install_skewed")")
expect "said in one line" 1 "$(wc -l <<<"$line")"
for part in "apt refuses wine32:i386 (libwine:i386 8.0~repack-4, but 8.0~repack-4+deb12u1" \
  "mirror mid-sync" "not a fault of the project" "--allow-downgrades"; do
  [[ $line == *"$part"* ]] || expect "the line says «$part»" "$part" "$line"
done

[ "$failures" -eq 0 ] && echo "setup decisions: all hold"
exit "$((failures > 0))"
