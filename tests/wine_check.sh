#!/usr/bin/env bash
# The Windows build under wine64: the cross-built test suites (the window's
# among them, on a private X server), then vacantix-cli.exe on the samples,
# compared with the Linux vacantix-cli on the same tree, its options read
# from the registry, and --trash with and without a recycle bin; then the
# installer: a silent install, the installed window seen through X, and a
# silent uninstall.
#   wine_check.sh CROSS_BUILD LINUX_BUILD
# Wine runs in a throw-away prefix and home; nothing of the real home, trash
# or registry is touched. The window tests' screenshots stay in
# CROSS_BUILD/screenshots.
set -uo pipefail

cross=$(realpath "$1") linux=$(realpath "$2")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d "${TMPDIR:-/tmp}/vacantix-wine.XXXXXX")

export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
export XDG_CACHE_HOME=$work/home/cache WINEPREFIX=$work/prefix WINEDEBUG=-all
# No Mono nor Gecko installer is offered while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
unset WAYLAND_DISPLAY

# The windows show on an X server of their own, at 96 dpi.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

finish() {
  "$wineserver" -k >/dev/null 2>&1
  kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# The server keeps the first client's standard error open: started on its own
# with its output elsewhere, it lets every later run end when its program
# does. One wineboot makes the prefix before anything is timed or compared.
"$wineserver" -p >/dev/null 2>&1
"$wine" wineboot >/dev/null 2>&1
# Wine maps every Windows face to Liberation Sans, which has Arial's
# metrics; said here, the windows' sizes do not hang on wine's guess.
for face in Arial "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" Tahoma "Microsoft Sans Serif"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "Liberation Sans" /f \
    >/dev/null 2>&1 || fail "the font replacement for $face could not be set"
done
"$wineserver" -w

screenshots=$cross/screenshots
mkdir -p "$screenshots"
# No window manager runs here: Wine is told so for the suites, or it would
# wait two seconds for one each time a window is hidden or closed.
x11_driver='HKCU\Software\Wine\X11 Driver'
"$wine" reg add "$x11_driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
"$wineserver" -w
(cd "$cross" && VACANTIX_SCREENSHOTS="Z:${screenshots//\//\\}" ctest --output-on-failure) ||
  fail "the cross-built suites failed under wine"
"$wine" reg delete "$x11_driver" /v Managed /f >/dev/null 2>&1
"$wineserver" -w

cli=$cross/vacantix-cli.exe
# A path the Windows program prints ("Z:\tmp\x") as Linux writes it, sorted:
# listing order is each file system's own.
from_windows() { sed -e 's|\\|/|g' -e 's|^Z:||' | LC_ALL=C sort; }
sorted() { LC_ALL=C sort; }

# $1: a name for messages; $2: the tree; the rest: options for both programs.
compare_scan() {
  local what=$1 tree=$2
  shift 2
  local linux_out wine_out linux_rc wine_rc
  linux_out=$("$linux/vacantix-cli" "$@" "$tree" 2>"$work/linux.err" | sorted)
  linux_rc=${PIPESTATUS[0]}
  # The root goes in the Windows form, backslashes and all.
  wine_out=$("$wine" "$cli" "$@" "Z:${tree//\//\\}" 2>"$work/wine.err" | from_windows)
  wine_rc=${PIPESTATUS[0]}
  if [ "$linux_out" != "$wine_out" ] || [ "$linux_rc" != "$wine_rc" ]; then
    fail "$what: vacantix-cli.exe under wine (exit $wine_rc) and vacantix-cli (exit $linux_rc) differ"
    diff <(echo "$linux_out") <(echo "$wine_out") >&2
    cat "$work/wine.err" >&2
  elif [ -z "$linux_out" ]; then
    fail "$what: neither program found a folder"
  else
    echo "$what: the same $(echo "$linux_out" | wc -l) folders under wine and on Linux"
  fi
}

samples=$work/Samples
cp -r "$linux/Samples" "$samples"
compare_scan "samples" "$samples"
# Names beyond ASCII, given as an argument (UTF-16 to the Windows program)
# and printed back as UTF-8.
mkdir -p "$samples/Ünïcødé 空/leer ✓/ﬁnal"
compare_scan "a folder named beyond ASCII" "$samples/Ünïcødé 空"
# A list on standard input: CR LF line ends, and a ^Z that must not end it
# (the streams are binary).
list=$(printf 'Z:%s\r\n\032\r\nZ:%s\r\n' "${samples//\//\\}\\This one is empty 1" \
  "${samples//\//\\}\\A nest of empty folders")
from_stdin=$(printf '%s' "$list" | "$wine" "$cli" --from - 2>/dev/null | from_windows)
[[ $from_stdin == *"A nest of empty folders/Level 1"* ]] ||
  fail "--from - stopped before the end of the list: $from_stdin"
# The same list from a file named relative to the current folder.
printf '%s' "$list" >"$work/list.txt"
from_file=$(cd "$work" && "$wine" "$cli" --from list.txt 2>/dev/null | from_windows)
[[ $from_file == "$from_stdin" ]] || fail "--from list.txt read another list than --from -: $from_file"
# Windows users read and paste paths with backslashes: no "/" is printed.
native=$("$wine" "$cli" "Z:$samples" 2>/dev/null)
[[ $native == *'Z:\'* ]] || fail "vacantix-cli.exe does not print Windows paths: $native"
[[ $native == */* ]] && fail "vacantix-cli.exe printed a \"/\": $native"
missing=$("$wine" "$cli" 'Z:\no\such\folder' 2>&1 >/dev/null)
[[ $missing == *'Z:\no\such\folder\ folder does not exist.'* ]] ||
  fail "a missing root is not named as Windows writes it: $missing"
compare_scan "samples, hidden folders ignored" "$samples" --ignore-hidden 1

# Reading ahead on helper threads prints what one thread reading alone
# prints, in the same order, on a tree wide and deep enough for the helpers
# to run ahead; and the same folders as on Linux.
wide=$work/wide
for i in $(seq 1 40); do
  for j in $(seq 1 12); do mkdir -p "$wide/d$i/e$j/f$((i * j % 5))"; done
  [ $((i % 3)) = 0 ] && echo x >"$wide/d$i/e$((i % 12 + 1))/file"
done
alone=$(VACANTIX_READERS=0 "$wine" "$cli" "Z:${wide//\//\\}" 2>/dev/null)
ahead=$(VACANTIX_READERS=4 "$wine" "$cli" "Z:${wide//\//\\}" 2>/dev/null)
if [ "$alone" != "$ahead" ] || [ -z "$alone" ]; then
  fail "vacantix-cli.exe printed other folders (or in another order) reading ahead than alone"
  diff <(echo "$alone") <(echo "$ahead") >&2
else
  echo "reading ahead: the same $(echo "$ahead" | wc -l) folders in the same order as alone"
fi
compare_scan "a wide tree, read ahead" "$wide"

# The options come from the registry, where the window keeps them.
"$wine" reg add 'HKCU\Software\Quillmark\Vacantix\Vacantix' /v Text1 /t REG_SZ /d "Level 1" /f >/dev/null 2>&1 ||
  fail "reg add failed"
"$wineserver" -w
linux_ignoring=$("$linux/vacantix-cli" --ignore "Level 1" "$samples" 2>/dev/null | sorted)
wine_ignoring=$("$wine" "$cli" "Z:$samples" 2>/dev/null | from_windows)
if [ "$linux_ignoring" != "$wine_ignoring" ]; then
  fail "the ignore list read from the registry was not applied as --ignore applies it on Linux"
  diff <(echo "$linux_ignoring") <(echo "$wine_ignoring") >&2
fi
"$wine" reg delete 'HKCU\Software\Quillmark\Vacantix\Vacantix' /v Text1 /f >/dev/null 2>&1
"$wineserver" -w

# --trash without a recycle bin: wine has none when its trash cannot be made
# (its data folder is a file here; a missing one it makes), and then its
# shell deletes for good. Every folder must stay.
copy=$work/no-bin
cp -r "$linux/Samples" "$copy"
before=$(find "$copy" | sorted)
: >"$work/not-a-folder"
XDG_DATA_HOME=$work/not-a-folder "$wine" "$cli" --trash "Z:$copy" >/dev/null 2>"$work/wine.err"
rc=$?
[ "$rc" = 1 ] || fail "--trash without a recycle bin exited $rc, not 1"
[ "$(find "$copy" | sorted)" = "$before" ] || fail "--trash without a recycle bin changed the tree"
grep -q "no recycle bin" "$work/wine.err" || { fail "--trash without a recycle bin gave no reason"; cat "$work/wine.err" >&2; }

# --trash with one: the empty folders go to wine's trash, the rest stays.
copy=$work/with-bin
cp -r "$linux/Samples" "$copy"
expected=$("$linux/vacantix-cli" --ignore-hidden 0 "$copy" 2>/dev/null | sorted)
"$wine" "$cli" --trash "Z:$copy" >/dev/null 2>"$work/wine.err"
rc=$?
[ "$rc" = 0 ] || { fail "--trash exited $rc"; cat "$work/wine.err" >&2; }
while IFS= read -r folder; do
  [ -n "$folder" ] && [ -e "$folder" ] && fail "--trash left $folder"
done <<<"$expected"
[ -f "$copy/About these samples.txt" ] || fail "--trash took a file it was not given"
[ -n "$(ls -A "$XDG_DATA_HOME/Trash/files")" ] || fail "--trash put nothing into wine's trash"

# The installer, as a user runs it: "/S" installs for this user alone, the
# program starts from where it went and shows its window at the designed
# size; "/S" on the uninstaller takes away the files, the Start-menu entry
# and the Uninstall key, and leaves the user's settings.
unix_of() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_folder() { "$wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vacantix'
settings_key='HKCU\Software\Quillmark\Vacantix\Vacantix'
setup=$(ls "$cross"/vacantix-*-win64-setup.exe 2>/dev/null | head -1)
portable=$(ls "$cross"/vacantix-*-win64.zip 2>/dev/null | head -1)
if [ -z "$portable" ] || ! zip -sf "$portable" | grep -q 'Vacantix/vacantix.exe'; then
  fail "no portable zip holding vacantix.exe was made"
fi
if [ -z "$setup" ]; then
  fail "no installer was made"
else
  "$wine" "$setup" /S >/dev/null 2>&1 || fail "the silent install exited $?"
  "$wineserver" -w
  installed=$(windows_folder LOCALAPPDATA)'\Programs\Vacantix'
  installed_unix=$(unix_of "$installed")
  shortcut=$(unix_of "$(windows_folder APPDATA)"'\Microsoft\Windows\Start Menu\Programs\Vacantix.lnk')
  for file in vacantix.exe vacantix-cli.exe uninstall.exe "Samples/About these samples.txt" \
              "Samples/This one is empty 1" "Samples/A nest of empty folders/Level 1/Level 2/Level 3"; do
    [ -e "$installed_unix/$file" ] || fail "the install did not put $file into $installed"
  done
  [ -f "$shortcut" ] || fail "the install made no Start-menu shortcut"
  entry=$("$wine" reg query "$uninstall_key" 2>/dev/null | tr -d '\r')
  for value in DisplayName DisplayVersion Publisher DisplayIcon UninstallString QuietUninstallString; do
    [[ $entry == *"$value"* ]] || fail "the Uninstall key has no $value: $entry"
  done

  "$wine" "$installed\\vacantix.exe" >/dev/null 2>&1 &
  program=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Vacantix$' 2>/dev/null | head -1)
  if [ -z "$window" ]; then
    fail "the installed program showed no window titled Vacantix"
  else
    size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
    [ "$size" = "536x529" ] || fail "the installed program's window is $size, not 536x529"
    echo "installed program: window \"Vacantix\" of $size"
  fi
  "$wine" taskkill /im vacantix.exe >/dev/null 2>&1
  wait "$program"

  "$wine" reg add "$settings_key" /v Check3 /t REG_SZ /d 1 /f >/dev/null 2>&1
  "$wine" "$installed\\uninstall.exe" /S >/dev/null 2>&1
  # The uninstaller runs on from a copy of itself: wait until it is done.
  for _ in $(seq 60); do
    "$wineserver" -w
    [ -e "$installed_unix" ] || break
    sleep 0.5
  done
  [ -e "$installed_unix" ] && fail "the uninstall left $(find "$installed_unix" | head -5)"
  [ -e "$shortcut" ] && fail "the uninstall left the Start-menu shortcut"
  "$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall left the Uninstall key"
  "$wine" reg query "$settings_key" /v Check3 >/dev/null 2>&1 || fail "the uninstall took the user's settings"
fi

if ((failures)); then
  echo "$failures wine check(s) failed" >&2
  exit 1
fi
echo "wine checks passed"
