# shellcheck shell=bash
# Builds a tree by its preset, quietly, for the test command and the demo.
# CMakePresets.json says what each tree is; every tree is build/<preset>.
# Source this file with $root (the source tree) set.
#   build_preset PRESET [TARGET...]   configures if needed and builds; on
#                                     failure says why, with CMake's or the
#                                     compiler's own lines
#   preset_tree PRESET                the tree's folder
#   program_preset, tests_preset      the program and the Windows tests that
#                                     this host's Wine runs (wine_detect_arch)

: "${root:?}"

preset_tree() { echo "$root/build/$1"; }
program_preset() { if [ "$WINE_ARCH" = win32 ]; then echo win; else echo win64; fi; }
tests_preset() { echo "$(program_preset)-tests"; }

# What a tree's configuration comes from: the preset's variables, the
# toolchain files and CMake itself.
_preset_stamp() {
  { cmake --version; cmake --preset "$1" -N; cat "$root"/cmake/*.cmake; } 2>&1 | sha256sum
}

# A plain configure is not safe on a tree made with other compilers: CMake
# keeps the old ones when a toolchain file names new ones (a thread model, say),
# and when a compiler variable changes it empties the cache, losing the other
# settings. So a tree is configured afresh (--fresh) unless it was last
# configured here from the same stamp and not since: under a second for a
# plain configure against three or four for a fresh one, on each tree.
_configure_preset() {
  local preset=$1 tree stamp fresh=()
  tree=$(preset_tree "$preset")
  stamp=$(_preset_stamp "$preset")
  if [ "$(cat "$tree/.preset-stamp" 2>/dev/null)" != "$stamp" ] ||
    [ "$tree/CMakeCache.txt" -nt "$tree/.preset-stamp" ]; then
    fresh=(--fresh)
  fi
  mkdir -p "$tree"
  (cd "$root" && cmake --preset "$preset" "${fresh[@]}") >"$tree.configure.log" 2>&1 ||
    { echo "build: configuring $preset failed:" >&2; tail -n 20 "$tree.configure.log" >&2; return 1; }
  echo "$stamp" >"$tree/.preset-stamp"
}

build_preset() {
  local preset=$1 tree targets=()
  shift
  tree=$(preset_tree "$preset")
  [ $# -eq 0 ] || targets=(--target "$@")
  _configure_preset "$preset" || return 1
  (cd "$root" && cmake --build --preset "$preset" "${targets[@]}") >"$tree.build.log" 2>&1 ||
    { echo "build: building $preset failed:" >&2; grep -E -A8 'FAILED|error' "$tree.build.log" | tail -n 40 >&2; return 1; }
}
