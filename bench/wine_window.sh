#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a scan in the Win32 window (vacantix.exe) against vacantix-cli.exe on
# the same tree under wine64, and the longest waits of the window's message
# loop during it.
#
#   bench/wine_window.sh [OUT]     the tree goes to OUT (default bench/out)
#
# Environment: CROSS (the MinGW-w64 build, default build-mingw), COUNT (empty
# folders in the tree, default 100000, a thousand to a group). Wine runs in
# a throw-away prefix and home with an X server of its own, as the wine
# check does; the stored options are the defaults for both programs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/out}" && cd "${1:-$here/out}" && pwd)
cross=$(cd "${CROSS:-$here/../build-mingw}" && pwd)
count=${COUNT:-100000}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for program in vacantix.exe vacantix-cli.exe; do
  [ -f "$cross/$program" ] || { echo "wine_window.sh: no $cross/$program; cross-build first" >&2; exit 2; }
done

tree=$out/wine-leaves-$count
if [ ! -d "$tree" ]; then
  echo "building $tree" >&2
  python3 "$here/gen_tree.py" leaves "$tree" --count "$count" --per-group 1000 >&2
fi

work=$(mktemp -d)
export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
unset WAYLAND_DISPLAY
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap '"$wineserver" -k >/dev/null 2>&1; kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
"$wineserver" -p >/dev/null 2>&1 || true # fails while the prefix is still to be made
"$wine" wineboot >/dev/null 2>&1 || true
# No window manager runs here (see tests/wine_check.sh).
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
"$wineserver" -w

root="Z:${tree//\//\\}"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; tree $tree"
VACANTIX_AUTOSCAN=$root "$wine" "$cross/vacantix.exe" 2>/dev/null
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(date +%s.%N)
found=$("$wine" "$cross/vacantix-cli.exe" "$root" 2>/dev/null | wc -l)
echo "vacantix-cli.exe: $found results in $(echo "$(date +%s.%N) - $start" | bc) s"
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
