#!/usr/bin/env bash
# The behaviours of the Windows program kept on purpose (docs/compatibility.md,
# one "## Cn title" entry each) against the tests that pin them (a comment
# "// Kept: C3 (docs/compatibility.md)", or "Kept: C2, C14 (...)"): every id
# a test names is an entry, and every entry is named by a test.
#   check_kept.sh SOURCE_DIR
set -uo pipefail

root=${1:?usage: check_kept.sh SOURCE_DIR}
entries=$(grep -oE '^## C[0-9]+ ' "$root/docs/compatibility.md" | grep -oE 'C[0-9]+' | sort)
named=$(grep -rhoE --include='*.cpp' --include='*.h' --exclude-dir=build --exclude-dir=.git \
  'Kept: C[0-9]+(, C[0-9]+)* \(docs/compatibility\.md\)' "$root" | grep -oE 'C[0-9]+' | sort -u)

status=0
report() { [ -z "$2" ] || { echo "$1: $(tr '\n' ' ' <<<"$2")"; status=1; }; }
report "entries given twice" "$(uniq -d <<<"$entries")"
report "named by tests, not entries" "$(comm -13 <(uniq <<<"$entries") <(echo "$named"))"
report "entries no test names" "$(comm -23 <(uniq <<<"$entries") <(echo "$named"))"
[ -n "$entries" ] || { echo "no entries in docs/compatibility.md"; status=1; }
[ "$status" -ne 0 ] || echo "$(wc -l <<<"$entries") behaviours kept on purpose, each pinned by a test"
exit "$status"
