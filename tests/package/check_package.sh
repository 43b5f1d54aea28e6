#!/bin/bash
# What a Windows user downloads: the package's files, and what the shipped Quillet.exe declares
# about itself (manifest, version record, imports), read back from the built files.
#   check_package.sh BUILD_DIR      (a Windows build folder, after its build)
set -uo pipefail
build="$1"
exe="$build/Quillet.exe"
version=2.1.1
failed=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}" >/dev/null 2>&1; then echo "PASS $1"; else echo "FAIL $1"; failed=1; fi
}

resources=$(i686-w64-mingw32-windres -i "$exe" -J coff -O rc 2>/dev/null)
manifest=$(printf '%s\n' "$resources" | sed -n '/RT_MANIFEST/,/^END/p')
check "the manifest asks for no elevation" grep -q 'requestedExecutionLevel level=""asInvoker""' <<<"$manifest"
check "the manifest declares per-monitor v2 DPI awareness" grep -q 'PerMonitorV2' <<<"$manifest"
check "the manifest names Windows 7, 8, 8.1 and 10/11" test "$(grep -c 'supportedOS Id' <<<"$manifest")" -eq 4
check "the manifest asks for no visual styles" bash -c '! grep -q "Common-Controls" <<<"$1"' _ "$manifest"
check "the version record says $version" grep -q 'FILEVERSION 2, 1, 1, 0' <<<"$resources"
check "the version record describes a folder creation assistant" grep -q 'Folder creation assistant' <<<"$resources"

imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
echo "INFO imports: $imports"
check "only Windows' own DLLs are imported" bash -c '! grep -qvE "^(ADVAPI32|GDI32|KERNEL32|MSVCRT|NTDLL|USER32)\.DLL$" <<<"$(tr " " "\n" <<<"$1" | sed "/^$/d")"' _ "$imports"
check "no debug information is shipped" bash -c '! i686-w64-mingw32-objdump -h "$1" | grep -q "debug"' _ "$exe"

(cd "$build" && cpack >/dev/null) || { echo "FAIL cpack makes the package"; exit 1; }
zip="$build/Quillet-$version-win32.zip"
check "cpack makes $(basename "$zip")" test -f "$zip"
listing=$(unzip -Z1 "$zip" 2>/dev/null | sort | tr '\n' ' ')
check "the package holds the program, its help page, README.txt and LICENSE" \
  test "$listing" = "Help_Quillet.htm LICENSE Quillet.exe README.txt "
check "the README and the help page carry the version" \
  bash -c 'unzip -p "$1" README.txt | grep -q "$2" && unzip -p "$1" Help_Quillet.htm | grep -q "$2"' _ "$zip" "$version"
unzip -lv "$zip" | sed -n 's/^ *\([0-9][0-9]*\) .* \([^ ]*\)$/INFO \2: \1 bytes/p' | grep -v 'INFO .*files'
echo "INFO $(basename "$zip"): $(stat -c %s "$zip") bytes"
exit "$failed"
