# shellcheck shell=bash
# Sourced by the other scripts, after scripts/wine-env.sh: builds the shipped 32-bit program in
# build/win32 and, where this machine runs only 64-bit code, the same sources for 64-bit Windows
# in build/win64, which the tests then run. Extra arguments go to cmake --build (e.g. --target).
# QUILLET_TEST_BUILD (from wine-env.sh) names the folder the tests use.

# configure_windows DIR TOOLCHAIN: the toolchain is read on the first configure only; CMake warns
# when it is given again.
configure_windows() {
  local toolchain=()
  [ -f "$1/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE="$2")
  cmake -S . -B "$1" "${toolchain[@]}"
}

build_windows() {
  configure_windows build/win32 cmake/mingw-w64-i686.cmake && cmake --build build/win32 -j 2 "$@" || return 1
  [ "$QUILLET_TEST_BUILD" = build/win32 ] && return 0
  configure_windows "$QUILLET_TEST_BUILD" cmake/mingw-w64-x86_64.cmake && cmake --build "$QUILLET_TEST_BUILD" -j 2 "$@"
}
