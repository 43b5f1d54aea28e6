#!/bin/bash
# Builds and tests everything: the native build with its rule tests, the same tests under ASan and
# UBSan, a short run of the patterns' fuzz target, the Windows build with its tests under Wine,
# then the end-to-end driver against Quillet.exe on a virtual display.
# Stops at the first stage that fails; exits non-zero then.
set -uo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root" || exit 1
source scripts/display.sh
source scripts/windows-build.sh

native_dir=build/native
sanitize_dir=build/sanitize
fuzz_dir=build/fuzz
win32_dir=build/win32
jobs=2
results=()
run_start=$SECONDS

# Where e2e_once notes each run whose Wine session ended under the driver.
ended_early=build/e2e-ended-early.txt

summary() {
  echo
  echo "== summary =="
  for line in "${results[@]}"; do echo "$line"; done
  if [ -s "$ended_early" ]; then
    echo "end-to-end runs whose Wine session ended under the driver:"
    cat "$ended_early"
  fi
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

# Every C++ file as .clang-format lays it out; a file that differs fails the stage, which names it.
format_check() {
  git ls-files -- '*.cpp' '*.h' | xargs clang-format --style=file --dry-run --Werror
}

native_build() {
  cmake -S . -B "$native_dir" && cmake --build "$native_dir" -j "$jobs"
}

sanitized_rule_tests() {
  cmake -S . -B "$sanitize_dir" -DQUILLET_SANITIZE=ON && cmake --build "$sanitize_dir" -j "$jobs" &&
    ctest --test-dir "$sanitize_dir" --output-on-failure
}

# The patterns' fuzz target for 30 s from an empty corpus. libFuzzer exits non-zero on a crash or
# a plan that differs from the tree's, and leaves the input in $fuzz_dir/artifacts.
fuzz_patterns() {
  CC=clang CXX=clang++ cmake -S . -B "$fuzz_dir" -DQUILLET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
    cmake --build "$fuzz_dir" -j "$jobs" --target patterns_fuzz || return 1
  rm -rf "$fuzz_dir/corpus" && mkdir -p "$fuzz_dir/corpus" "$fuzz_dir/artifacts" || return 1
  if ! "$fuzz_dir/tests/rules/patterns_fuzz" -max_total_time=30 -print_final_stats=1 \
    -artifact_prefix="$fuzz_dir/artifacts/" "$fuzz_dir/corpus" >"$fuzz_dir/patterns.log" 2>&1; then
    tail -n 40 "$fuzz_dir/patterns.log"
    return 1
  fi
  echo "patterns_fuzz: $(grep -E '^Done' "$fuzz_dir/patterns.log")"
}

# The package is read back from the shipped build; what runs under Wine runs from the test build
# (the same folder where this machine runs 32-bit code).
win32_tests() {
  ctest --test-dir "$win32_dir" --output-on-failure -L package &&
    ctest --test-dir "$QUILLET_TEST_BUILD" --output-on-failure -L wine
}

wine_prefix() {
  source scripts/wine-env.sh
}

# ---------------------------------------------------------------------------------------------
# End-to-end: at 96 dpi, then at 144 dpi and on two monitors, each on a display and in a Wine
# prefix of its own.

screenshots_dir=build/screenshots
# The scenarios whose checks depend on the windows' sizes.
layout_scenarios=(placement layout options no-address-bar)

# The process ID of the Wine server of this prefix, if one runs.
prefix_server() {
  local pid
  for pid in $(pgrep wineserver); do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return
    fi
  done
}

# One run of the driver with the arguments after LOG; its output also goes to LOG. A Wine program
# whose server goes away exits at once, mostly with status 0: a run that ends without the
# driver's closing count, with status 0 or once the server it started with has gone, returns 3.
e2e_once() {
  local log="$1"
  shift
  mkdir -p build/e2e-work
  local server kernel_lines
  server="$(prefix_server)"
  kernel_lines="$(dmesg 2>/dev/null | wc -l)"
  timeout 600 wine "$QUILLET_TEST_BUILD/quillet_e2e.exe" --work "$(windows_path "$repo_root/build/e2e-work")" "$@" 2>&1 |
    tr -d '\r' | tee "$log"
  local status="${PIPESTATUS[0]}" ended="still running"
  grep -qE '^[0-9]+ passed, [0-9]+ failed$' "$log" && return "$status"
  # A server being stopped takes a moment to go.
  local _
  for _ in $(seq 20); do
    if [ -z "$server" ]; then break; fi
    if ! kill -0 "$server" 2>/dev/null; then ended=gone && break; fi
    sleep 0.1
  done
  if [ "$status" -ne 0 ] && [ "$ended" != gone ]; then return "$status"; fi
  echo "e2e: the driver ended with status $status before its closing count; Wine's processes now:" >&2
  ps -eo pid,args | grep -i -e wine -e '\.exe' | grep -v -e grep -e defunct >&2
  # The kernel's word on a crash or a kill during the run, where it lets us read it.
  local kernel="  (the kernel log cannot be read here)"
  if dmesg >/dev/null 2>&1; then
    kernel="$(dmesg | tail -n "+$((kernel_lines + 1))" |
      grep -iE 'segfault|killed process|out of memory|general protection|trap' | tail -n 3)"
  fi
  printf '%s %s: status %d after %d checks; its Wine server %s\n%s\n' "$(date +%T)" "$log" "$status" \
    "$(grep -cE '^(PASS|FAIL) ' "$log")" "${server:-none}: $ended" "${kernel:-  (the kernel logged nothing of it)}" |
    tee -a "$ended_early" >&2
  return 3
}

# The driver as e2e_once runs it, again in a new Wine session when its session ended under it, up
# to three runs in all: each such end is said in the log and in the summary.
e2e_logged() {
  local run status
  for run in 1 2 3; do
    e2e_once "$@"
    status=$?
    [ "$status" -eq 3 ] && [ "$run" -lt 3 ] || return "$status"
    echo "e2e: running it again in a new Wine session" >&2
    wineserver -k 2>/dev/null
    wineserver -w
    mv "$1" "$1.ended-early-$run"
    source scripts/wine-env.sh >/dev/null || return 1
  done
}

# Wine reads the screen's DPI from the prefix's registry; its own processes read it when they start.
# One Wine session at a time: the main one stops here, and starts again where it is next sourced.
e2e_at_144_dpi() (
  wineserver -k 2>/dev/null
  export QUILLET_WINEPREFIX="$repo_root/build/wineprefix-144" QUILLET_WINE_DPI=144
  trap 'wineserver -k 2>/dev/null; stop_display' EXIT
  start_display && source scripts/wine-env.sh || exit 1
  e2e_logged build/e2e-144.log "${layout_scenarios[@]}"
)

# The driver's pictures, saved as BMP, as PNG.
screenshots_as_png() {
  local picture
  for picture in "$screenshots_dir"/*.bmp; do
    convert "$picture" "${picture%.bmp}.png" && rm "$picture" || return 1
  done
}

# The layout scenarios at 96 and at 144 dpi; both runs leave pictures of the three windows in
# build/screenshots.
e2e_dpi() {
  # Only their own pictures: the help page's, from the win32 tests, stays beside them.
  rm -f "$screenshots_dir"/{main,status,options,warning}-*.{png,bmp} && mkdir -p "$screenshots_dir" || return 1
  export QUILLET_SCREENSHOTS
  QUILLET_SCREENSHOTS="$repo_root/$screenshots_dir"
  e2e_logged build/e2e-96.log "${layout_scenarios[@]}" && e2e_at_144_dpi
  local status=$?
  unset QUILLET_SCREENSHOTS
  [ "$status" -eq 0 ] || return 1
  # A prefix that kept 96 dpi would pass these for the wrong reason.
  if ! grep -q ' at 144 dpi: ' build/e2e-144.log; then
    echo "e2e-dpi: the second run was not at 144 dpi; its prefix holds:" >&2
    grep -n LogPixels build/wineprefix-144/*.reg >&2
    return 1
  fi
  screenshots_as_png && ls "$screenshots_dir"
}

# The scenarios that need a second monitor, RightOf or LeftOf the first. The driver lists them
# only where Windows reports two monitors, so with a single one it finds none and fails.
e2e_two_monitors() (
  wineserver -k 2>/dev/null
  export QUILLET_WINEPREFIX="$repo_root/build/wineprefix-dual"
  trap 'wineserver -k 2>/dev/null; stop_display' EXIT
  start_dual_display "$1" && source scripts/wine-env.sh && e2e_logged "build/e2e-$1.log" monitor
)

# Every measurement of the benchmark once, on this script's display and prefix: it must build and
# run; its timings are printed, never judged.
bench_once() {
  bash bench/run.sh --once
}

rm -f "$ended_early"
stage "set-up" bash scripts/setup.sh
stage "format" format_check
stage "native build" native_build
stage "native rule tests" ctest --test-dir "$native_dir" --output-on-failure
stage "sanitized rule tests" sanitized_rule_tests
stage "fuzz patterns" fuzz_patterns
stage "display" start_display
stage "Wine prefix" wine_prefix
stage "win32 build" build_windows
stage "win32 tests" win32_tests
stage "end-to-end" e2e_logged build/e2e.log
stage "end-to-end 96, 144 dpi" e2e_dpi
stage "two monitors, right" e2e_two_monitors RightOf
stage "two monitors, left" e2e_two_monitors LeftOf
stage "benchmark, once" bench_once

summary
echo "run-tests: all stages passed in $((SECONDS - run_start)) s"
