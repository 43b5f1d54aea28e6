#!/bin/bash
# Builds Quillet.exe and its package, and runs it under Wine beside a stand-in Explorer window
# showing a demo folder. With $DISPLAY set, you type into Quillet yourself; without, a short
# scripted session on a virtual display types Reports<Q1|Q2>|Archive, presses Enter, prints the
# folders made and saves a screenshot.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"
source scripts/display.sh
source scripts/windows-build.sh

win32_dir=build/win32
demo_dir="$repo_root/build/demo"
explorer_folder="$demo_dir/demo/Explorer Folder"
stop_file="$demo_dir/stop"
screenshot="$demo_dir/quillet-demo.png"
demo_text='Reports<Q1|Q2>|Archive'

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  stop_display
}
trap cleanup EXIT

bash scripts/setup.sh
interactive=no
if [ -n "${DISPLAY:-}" ]; then interactive=yes; else start_display; fi
source scripts/wine-env.sh
build_windows --target quillet_e2e
(cd "$win32_dir" && cpack >/dev/null)
package="$repo_root/$win32_dir/Quillet-2.1.1-win32.zip"
echo "Package: $package, $(stat -c %s "$package") bytes"
# The shipped build where this machine runs 32-bit code; its 64-bit twin where it cannot.
driver="$QUILLET_TEST_BUILD/quillet_e2e.exe"

rm -rf "$demo_dir"
mkdir -p "$demo_dir"

print_tree() {
  echo "Folders in $explorer_folder:"
  (cd "$explorer_folder" && find . -mindepth 1 -type d | sed 's|^\./||' | sort)
}

if [ "$interactive" = yes ]; then
  echo "Quillet opens on $DISPLAY over a stand-in Explorer window."
  echo "Type a folder specification and press Enter; Esc closes Quillet and ends the demo."
  wine "$driver" demo "$(windows_path "$demo_dir")" "$(windows_path "$stop_file")"
  print_tree
  exit 0
fi

wine "$driver" demo "$(windows_path "$demo_dir")" "$(windows_path "$stop_file")" "$demo_text" &
driver_pid=$!
made=no
for _ in $(seq 300); do
  if [ -d "$explorer_folder/Reports/Q2" ] && [ -d "$explorer_folder/Archive" ]; then made=yes; break; fi
  kill -0 "$driver_pid" 2>/dev/null || break
  sleep 0.1
done
if [ "$made" = yes ]; then import -display "$DISPLAY" -window root "$screenshot"; fi
touch "$stop_file"
driver_status=0
wait "$driver_pid" || driver_status=$?
if [ "$made" != yes ] || [ "$driver_status" -ne 0 ]; then
  echo "run-main-job: the session did not create the folders of $demo_text" >&2
  exit 1
fi
print_tree
echo "Screenshot: $screenshot"
