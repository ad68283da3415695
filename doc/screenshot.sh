#!/usr/bin/env bash
# Makes the picture of the window that the README shows (doc/window.png): the
# program built by ./build.sh run, started under Xvfb with a throw-away home,
# its sample folders loaded and scanned as a user would with the keyboard.
# Run by hand, not by the tests:
#
#   doc/screenshot.sh [--dark] [--scale N] [--screen WxH] [OUT.png]
#
#   --dark        the desktop's dark colours (through qt6ct's "darker" scheme)
#   --scale N     QT_SCALE_FACTOR=N, as on a screen of N times 96 dpi
#   --screen WxH  the screen's size in pixels (default 1280x1024)
#
# Needs xvfb, xauth, xdotool and python3 (and qt6ct for --dark).
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."

dark=0 scale=1 screen=1280x1024 out=doc/window.png inside=0
while (($#)); do
  case "$1" in
    --dark) dark=1 ;;
    --scale) scale=$2; shift ;;
    --screen) screen=$2; shift ;;
    --inside) inside=1 ;;
    -*) echo "usage: $0 [--dark] [--scale N] [--screen WxH] [OUT.png]" >&2; exit 2 ;;
    *) out=$1 ;;
  esac
  shift
done

program=${VACANTIX_BUILD_DIR:-build}/vacantix
if [ ! -x "$program" ]; then
  echo "$program is missing: run ./build.sh run first" >&2
  exit 1
fi
for tool in Xvfb xvfb-run xauth xdotool python3; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (Debian: xvfb xauth xdotool python3)" >&2; exit 1; }
done

if [ "$inside" = 0 ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/fb" "$work/home"
  export VACANTIX_SHOT_WORK=$work
  # -fbdir keeps the screen in a file (XWD), which the picture is cut from.
  exec_args=(--inside --scale "$scale" --screen "$screen")
  [ "$dark" = 1 ] && exec_args+=(--dark)
  xvfb-run -a -s "-screen 0 ${screen}x24 -fbdir $work/fb -nolisten tcp" "$self" "${exec_args[@]}" "$out"
  echo "wrote $out"
  exit 0
fi

# ------------------------------------------------- inside the X server
work=$VACANTIX_SHOT_WORK
# A home of its own: no settings, trash or samples copy of the user's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
if [ "$dark" = 1 ]; then
  scheme=/usr/share/qt6ct/colors/darker.conf
  [ -f "$scheme" ] || { echo "$scheme is missing (Debian: qt6ct)" >&2; exit 1; }
  mkdir -p "$XDG_CONFIG_HOME/qt6ct"
  printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' "$scheme" \
    >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
  export QT_QPA_PLATFORMTHEME=qt6ct
fi

"$program" >"$work/program.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=$(xdotool search --sync --onlyvisible --name '^Vacantix$' | head -1)
sleep 1

keys() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.6; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
# The folder list has the focus; "Load Sample/Example Folders" is eleven
# tabs on. Its question (open the folder?) is answered No.
keys --repeat 11 Tab
keys space
keys Escape
# Back six tabs to the scan button; "Done." is closed with Return.
keys --repeat 6 shift+Tab
keys space
sleep 2
keys Return
# One result unchecked, as a user picks what goes: the results list is one
# tab back, the first row gets the focus.
keys shift+Tab Down space
# The pointer, which the screen dump holds too, out of the way.
xdotool mousemove 0 0
sleep 1

eval "$(xdotool getwindowgeometry --shell "$window")"
python3 - "$work/fb/Xvfb_screen0" "$out" "$X" "$Y" "$WIDTH" "$HEIGHT" <<'EOF'
# Cuts a rectangle out of an XWD screen dump (as Xvfb -fbdir keeps it, 24 or
# 32 bits a pixel) and writes it as a PNG.
import struct, sys, zlib

source, target = sys.argv[1], sys.argv[2]
x, y, w, h = map(int, sys.argv[3:7])
data = open(source, "rb").read()
(header_size, _, _, _, width, height, _, byte_order, _, _, _, bits, line_bytes, _,
 red, green, blue, _, _, colours) = struct.unpack(">20I", data[:80])
start = header_size + colours * 12
step = bits // 8
order = "little" if byte_order == 0 else "big"
shift = lambda mask: (mask & -mask).bit_length() - 1
shifts = [(red, shift(red)), (green, shift(green)), (blue, shift(blue))]
x, y = max(0, x), max(0, y)
w, h = min(w, width - x), min(h, height - y)
rows = bytearray()
for row in range(y, y + h):
    rows.append(0)
    line = start + row * line_bytes
    for col in range(x, x + w):
        pixel = int.from_bytes(data[line + col * step:line + (col + 1) * step], order)
        rows.extend((pixel & mask) >> s for mask, s in shifts)

def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

with open(target, "wb") as png:
    png.write(b"\x89PNG\r\n\x1a\n")
    png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
    png.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
    png.write(chunk(b"IEND", b""))
EOF
