#!/bin/bash
# Runs the end-to-end suite N times in a row on one virtual display and reports the checks that
# failed in some runs and passed in others (flakes). Extra arguments go to the driver, e.g.
# scenario names: bash scripts/e2e-repeat.sh 20 watchdog
# Each run's output is kept in build/e2e-repeat/run-K.txt. Exits non-zero when a run failed.
set -uo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root" || exit 1
source scripts/display.sh
source scripts/windows-build.sh

runs="${1:-10}"
shift || true
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [N] [SCENARIO...]" >&2
  exit 2
fi

log_dir=build/e2e-repeat

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  stop_display
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then start_display || exit 1; fi
source scripts/wine-env.sh || exit 1
build_windows --target quillet_e2e >/dev/null || exit 1

rm -rf "$log_dir"
mkdir -p "$log_dir" build/e2e-work
work="$(windows_path "$repo_root/build/e2e-work")"
passed_runs=0
for run in $(seq "$runs"); do
  log="$log_dir/run-$run.txt"
  start=$SECONDS
  timeout 600 wine "$QUILLET_TEST_BUILD/quillet_e2e.exe" --work "$work" "$@" 2>&1 | tr -d '\r' >"$log"
  status=${PIPESTATUS[0]}
  summary="$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)"
  printf 'run %3d: %-24s exit %d, %3d s\n' "$run" "${summary:-no summary}" "$status" $((SECONDS - start))
  # A Wine program can end with status 0 before it is done, as when its server goes away.
  if [ "$status" -eq 0 ] && [ -n "$summary" ]; then passed_runs=$((passed_runs + 1)); fi
done

echo
failures="$(cat "$log_dir"/run-*.txt | grep '^FAIL ' | sed 's/; saw .*//' | sort | uniq -c | sort -rn)"
if [ -n "$failures" ]; then
  echo "checks that failed (runs out of $runs):"
  echo "$failures"
  echo
fi
echo "e2e-repeat: $passed_runs of $runs runs passed"
[ "$passed_runs" -eq "$runs" ]
