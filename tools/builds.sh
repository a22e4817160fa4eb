# shellcheck shell=bash
# The project's build trees, shared by the test command and the demo. Source
# this file with $root (the source tree) and $build (where trees go) set.
#
#   $build/native       clang: the modem simulator, the fuzzer, checks of the exe
#   $build/win          the shipped 32-bit program (win32 thread model, no tests)
#   $build/win64        the same program for x86_64 (hosts without 32-bit support)
#   $build/win-tests    the Windows tests for i686 or, as win64-tests, for x86_64
#                       (posix thread model, which GoogleTest needs)
#   $build/linux-ARCH   the static modemswitch for a Linux box (x86_64, armhf,
#                       aarch64, mipsel), tested under qemu

: "${root:?}" "${build:?}"

# The shipped program of processor $1 (i686 or x86_64).
program_tree() { if [ "$1" = i686 ]; then echo "$build/win"; else echo "$build/win64"; fi; }
program_exe() { echo "$(program_tree "$1")/app/modemswitch.exe"; }
tests_tree() { if [ "$1" = i686 ]; then echo "$build/win-tests"; else echo "$build/win64-tests"; fi; }

# Configures afresh each time: a tree made earlier with other compilers (the
# thread model is a compiler choice) must not keep them.
_configure() {
  local tree=$1
  shift
  cmake --fresh -S "$root" -B "$tree" -G Ninja "$@" >"$tree.configure.log" 2>&1 ||
    { echo "build: configuring $tree failed:" >&2; tail -n 20 "$tree.configure.log" >&2; return 1; }
}

# Builds quietly into a log; on failure shows the compiler's last words.
_ninja() {
  local tree=$1
  ninja -C "$@" >"$tree.build.log" 2>&1 ||
    { echo "build: building in $tree failed:" >&2; grep -E -A8 'FAILED|error' "$tree.build.log" | tail -n 40 >&2; return 1; }
}

# build_native [TARGET...]: the native tree; the checks of the shipped file
# look at the 32-bit program.
build_native() {
  mkdir -p "$build"
  CC=clang CXX=clang++ _configure "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMODEMSWITCH_EXE="$(program_exe i686)" || return 1
  _ninja "$build/native" "$@"
}

# build_program CPU: the program exactly as it ships, for i686 or x86_64.
build_program() {
  local tree
  tree=$(program_tree "$1")
  mkdir -p "$build"
  _configure "$tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" \
    -DMINGW_THREADS=win32 -DMODEMSWITCH_TESTS=OFF || return 1
  _ninja "$tree" modemswitch
}

# build_windows_tests CPU [TARGET...]: tests, driver, console host and
# benchmark for CPU; the whole-program test runs the shipped program of CPU.
build_windows_tests() {
  local cpu=$1 tree
  shift
  tree=$(tests_tree "$cpu")
  mkdir -p "$build"
  _configure "$tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$cpu.cmake" \
    -DMINGW_THREADS=posix -DMODEMSWITCH_TESTS=ON -DMODEMSWITCH_EXE="$(program_exe "$cpu")" || return 1
  _ninja "$tree" "$@"
}

# build_linux ARCH: the static modemswitch for a Linux box; its tests run it
# against the native tree's simulator.
linux_tree() { echo "$build/linux-$1"; }
build_linux() {
  local tree
  tree=$(linux_tree "$1")
  mkdir -p "$build"
  _configure "$tree" -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-cross.cmake" \
    -DLINUX_ARCH="$1" -DMODEMSIM="$build/native/tools/modemsim/modemsim" || return 1
  _ninja "$tree"
}
