#!/bin/bash
# The benchmark. Builds what it needs (the native release build with the rule benchmark, the
# Windows release build with the timing driver), starts a virtual display and the Wine prefix
# unless the caller already has both, measures, and prints the table.
#
#   bash bench/run.sh           21 runs of every measurement, medians (a few minutes)
#   bash bench/run.sh --once    every measurement once: shows that it all builds and runs
#
# Exits non-zero when something cannot be built or measured. A goal missed is printed, never an
# error: timings on a shared machine are information, not a test.
set -uo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root" || exit 1

runs=21
case "${1:-}" in
  "") ;;
  --once) runs=1 ;;
  *) echo "usage: bash bench/run.sh [--once]" >&2; exit 2 ;;
esac

native_dir=build/bench-native
win32_dir=build/win32
out_dir=build/bench
work_dir="$repo_root/build/bench-work"
size_goal_kib=200
# What a Windows installation brings; anything else would have to ship beside Quillet.exe.
windows_dlls='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|msvcrt|uxtheme|version|ntdll|imm32|winmm|ws2_32|rpcrt4|dwmapi|shcore|api-ms-win-.*)\.dll$'

fail() {
  echo "bench: $*" >&2
  exit 1
}

mkdir -p "$out_dir"
bash scripts/setup.sh || fail "set-up failed"

echo "bench: building (logs in $out_dir)"
# -O2, as a release build of the rules would be on any platform.
{ cmake -S . -B "$native_dir" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" &&
  cmake --build "$native_dir" -j 2 --target rules_bench; } >"$out_dir/native-build.log" 2>&1 ||
  fail "the native build failed; see $out_dir/native-build.log"

source scripts/display.sh
source scripts/windows-build.sh
own_wine=no
cleanup() {
  wineserver -k 2>/dev/null || true
  stop_display
}
# run-tests.sh calls this with its display and prefix running; otherwise they are ours.
if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  own_wine=yes
  trap cleanup EXIT
  start_display >/dev/null || fail "no virtual display"
  source scripts/wine-env.sh || fail "the Wine prefix could not be made"
fi
# The size is the shipped build's; the timings run where Wine can run them (see wine-env.sh).
build_windows --target Quillet quillet_bench bench_minimal >"$out_dir/win32-build.log" 2>&1 ||
  fail "the Windows build failed; see $out_dir/win32-build.log"

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"

echo "bench: the rules, natively"
rule_flags=(--benchmark_color=false)
if [ "$runs" -gt 1 ]; then
  rule_flags+=(--benchmark_repetitions="$runs" --benchmark_enable_random_interleaving=true
               --benchmark_report_aggregates_only=true --benchmark_min_time=0.05)
else
  rule_flags+=(--benchmark_min_time=0.01)
fi
"$native_dir/bench/rules_bench" "${rule_flags[@]}" >"$out_dir/rules.out" 2>"$out_dir/rules.log" ||
  fail "the rule benchmark failed; see $out_dir/rules.log"

echo "bench: Quillet.exe under Wine"
rm -rf "$work_dir"
mkdir -p "$work_dir"
timeout 3600 wine "$QUILLET_TEST_BUILD/quillet_bench.exe" --runs "$runs" --work "$(windows_path "$work_dir")" \
  </dev/null >"$out_dir/driver.out" 2>"$out_dir/driver.log"
driver_status=$?
rm -rf "$work_dir"
[ "$driver_status" -eq 0 ] || { cat "$out_dir/driver.log" >&2; fail "the timing driver failed (exit code $driver_status)"; }

load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

exe="$win32_dir/Quillet.exe"
size_bytes="$(stat -c %s "$exe")"
imports="$(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')"
[ -n "$imports" ] || fail "no imports read from $exe"
foreign="$(grep -viE "$windows_dlls" <<<"$imports" | tr '\n' ' ')"
stripped=no
i686-w64-mingw32-objdump -t "$exe" | grep -q '^no symbols' && stripped=yes
size_met=MISSED
if [ "$size_bytes" -le $((size_goal_kib * 1024)) ] && [ -z "$foreign" ] && [ "$stripped" = yes ]; then size_met=met; fi

# The table, in Markdown so that it can go into bench/README.md as it is.
{
  printf 'row\tFigure\tQuillet\tBaseline\tRatio\tGoal\tVerdict\n'
  grep -h $'^row\t' "$out_dir/driver.out" "$out_dir/rules.out" | tr -d '\r'
  printf 'row\t%s\t%s\t\t\t%s\t%s\n' "Quillet.exe, MinSizeRel, stripped: $stripped, static" \
    "$(awk -v b="$size_bytes" 'BEGIN { printf "%.1f KiB", b / 1024 }')" \
    "at most $size_goal_kib KiB, Windows' DLLs only" "$size_met"
} >"$out_dir/table.tsv"

echo
echo "Quillet benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "Machine: $(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')), Debian $(cat /etc/debian_version), $(wine --version)"
echo "Load average (1, 5, 15 min): $load_before before, $load_after after"
if [ "$runs" -gt 1 ]; then
  echo "Each figure: the median of $runs runs, each beside its baseline in the same run; ratio: the median of the runs' ratios."
else
  echo "Each measurement ran once (--once): a check that it all works, not figures to quote."
fi
echo
awk -F'\t' '
  { for (i = 2; i <= NF; ++i) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } columns = NF }
  END {
    for (r = 1; r <= NR; ++r) {
      line = "|"
      for (i = 2; i <= columns; ++i) line = line sprintf(" %-*s |", width[i], cell[r, i])
      print line
      if (r == 1) {
        line = "|"
        for (i = 2; i <= columns; ++i) { dashes = sprintf("%*s", width[i], ""); gsub(/ /, "-", dashes); line = line "-" dashes "-|" }
        print line
      }
    }
  }' "$out_dir/table.tsv"
echo
grep -hv $'^row\t' "$out_dir/driver.out" "$out_dir/rules.out" | tr -d '\r'
echo "Quillet.exe imports: $(tr '\n' ' ' <<<"$imports")$([ -n "$foreign" ] && echo "(not Windows' own: $foreign)")"
