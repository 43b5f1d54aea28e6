# shellcheck shell=bash
# Sourced by the other scripts: a Wine prefix of our own for the Windows build, made once and
# kept warm. QUILLET_WINEPREFIX chooses another prefix than build/wineprefix. Source it after
# DISPLAY is set: Wine's desktop process starts here and keeps the display it was given.
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Quillet ships as a 32-bit program, and the tests run it under Wine's 32-bit loader. A kernel
# without IA-32 emulation refuses every 32-bit program (execve fails with "Exec format error"):
# there the tests run a 64-bit build of the same sources (build/win64) under wine64, which
# `wine` then means for every script and for CMake.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export QUILLET_TEST_BUILD=build/win32
else
  export QUILLET_TEST_BUILD=build/win64
  mkdir -p "$repo_root/build/wine64-bin"
  # wineboot and Wine's other tools start wine-stable.
  for quillet_tool in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$repo_root/build/wine64-bin/$quillet_tool"
    chmod +x "$repo_root/build/wine64-bin/$quillet_tool"
  done
  case ":$PATH:" in *":$repo_root/build/wine64-bin:"*) ;; *) export PATH="$repo_root/build/wine64-bin:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
fi

export WINEPREFIX="${QUILLET_WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG=-all
# Wine names files in the Unix locale's character set: with a UTF-8 one, every Windows name can
# be made on the volume. C.UTF-8 is always there.
export LC_ALL=C.UTF-8
# Without these, the first start asks to install Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The marker names the recipe below: a prefix made by an older one is made afresh.
quillet_prefix_recipe=2
quillet_prefix_ready="$WINEPREFIX/.quillet-prefix-ready"
if [ "$(cat "$quillet_prefix_ready" 2>/dev/null)" != "$quillet_prefix_recipe" ]; then
  echo "wine-env: making the Wine prefix $WINEPREFIX"
  # A prefix left half made by an interrupted run cannot be repaired by wineboot: start afresh.
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || return 1
  # Debian's Wine does not look at the fonts of fonts-wine; without them MS Sans Serif falls
  # back to a wider font and controls do not measure as on Windows.
  dpkg -L fonts-wine | grep -E '\.(ttf|fon)$' | xargs -r cp -t "$WINEPREFIX/drive_c/windows/Fonts/"
  # Windows has MS Sans Serif twice: the bitmap font, which holds one code page, and its TrueType
  # twin Microsoft Sans Serif, made to the same metrics, which Quillet's windows use. Wine has no
  # outline twin (its TrueType MS Sans Serif holds bitmaps only, and Wine skips it there), so
  # FreeSans stands in: an outline face of the same height whose captions come 1 to 3 pixels wider.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'Microsoft Sans Serif' \
    /d FreeSans /f >/dev/null 2>&1 || return 1
  # Without a window manager every hidden or destroyed window otherwise waits 2 s for X.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || return 1
  # Debian's 64-bit Wine 8 crashes in its desktop process while it lists the XF86VidMode modes
  # of a second Xinerama screen, and then reports one monitor. Quillet never changes the
  # display's mode, so Wine need not ask the X server for modes at all.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXVidMode /d N /f >/dev/null 2>&1 || return 1
  # Let the server write the registry out before it is kept running below.
  wineserver -w
  echo "$quillet_prefix_recipe" >"$quillet_prefix_ready"
fi

# QUILLET_WINE_DPI gives the screen that DPI. Programs read it when the first program of a
# server session starts, so it is written in a session of its own, which ends before the one
# kept running below. Written every time: a prefix made on a fresh machine once kept 96 dpi.
# Both places that Windows has kept it in: Wine reads the user's first and falls back to the
# machine's, which a new prefix sets to 96.
quillet_write_dpi() {
  # A session still kept running from an earlier sourcing would never end on its own.
  wineserver -k 2>/dev/null
  wineserver -w
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || return 1
  done
  wineserver -w
}
if [ -n "${QUILLET_WINE_DPI:-}" ]; then
  quillet_write_dpi "$QUILLET_WINE_DPI" || return 1
fi

# Keeps the server running between programs; `wineserver -k` stops it.
wineserver -p
# The first program of a server session starts Wine's service and desktop processes, which
# live on and inherit that program's standard output. Started here on /dev/null, they cannot
# hold open a pipe that ctest or a caller waits on to close.
wine cmd /c exit </dev/null >/dev/null 2>&1
