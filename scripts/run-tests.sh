#!/bin/bash
# Builds and tests everything: the native build with its unit tests, the Windows build with its
# unit tests under Wine, then the end-to-end driver against Quillet.exe on a virtual display.
# Stops at the first stage that fails; exits non-zero then.
set -uo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root" || exit 1
source scripts/display.sh

native_dir=build/native
win32_dir=build/win32
jobs=2
results=()
run_start=$SECONDS

summary() {
  echo
  echo "== summary =="
  for line in "${results[@]}"; do echo "$line"; done
}

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  stop_display
}
trap cleanup EXIT

# Runs one stage; on failure prints the summary and ends the script.
stage() {
  local name="$1"
  shift
  echo
  echo "== $name =="
  local start=$SECONDS
  if "$@"; then
    results+=("$(printf 'ok      %-22s %4d s' "$name" $((SECONDS - start)))")
    return
  fi
  results+=("$(printf 'FAILED  %-22s %4d s' "$name" $((SECONDS - start)))")
  summary
  echo "run-tests: stopped at \"$name\""
  exit 1
}

native_build() {
  cmake -S . -B "$native_dir" && cmake --build "$native_dir" -j "$jobs"
}

win32_build() {
  # The toolchain is read on the first configure only; CMake warns when it is given again.
  local toolchain=()
  [ -f "$win32_dir/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake)
  cmake -S . -B "$win32_dir" "${toolchain[@]}" && cmake --build "$win32_dir" -j "$jobs"
}

wine_prefix() {
  source scripts/wine-env.sh
}

e2e() {
  mkdir -p build/e2e-work
  timeout 600 wine "$win32_dir/quillet_e2e.exe" --work "$(windows_path "$repo_root/build/e2e-work")"
}

# Every measurement of the benchmark once, on this script's display and prefix: it must build and
# run; its timings are printed, never judged.
bench_once() {
  bash bench/run.sh --once
}

stage "set-up" bash scripts/setup.sh
stage "native build" native_build
stage "native rule tests" ctest --test-dir "$native_dir" --output-on-failure
stage "display" start_display
stage "Wine prefix" wine_prefix
stage "win32 build" win32_build
stage "win32 rule tests" ctest --test-dir "$win32_dir" --output-on-failure
stage "end-to-end" e2e
stage "benchmark, once" bench_once

summary
echo "run-tests: all stages passed in $((SECONDS - run_start)) s"
