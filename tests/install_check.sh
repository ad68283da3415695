#!/usr/bin/env bash
# Installs the build into a throw-away root and checks what a desktop and a
# package manager see there.
#   install_check.sh tree BUILD SOURCE GUI [SHIPPABLE]   cmake --install with
#       DESTDIR: the named files, the validators, the installed CLI and window
#   install_check.sh deb BUILD SOURCE GUI [SHIPPABLE]    cpack -G DEB: the
#       package's fields and files, lintian, the CLI run from the package
# GUI is 1 when the window program is part of the build; SHIPPABLE (default
# 1) is 0 for a build with the sanitizers, which lintian does not check.
# Exits 77 (skipped) when a needed tool is missing, after checking what it
# could.
set -uo pipefail

mode=$1 build=$2 source=$3 gui=$4 shippable=${5:-1}
app_id=example.quillmark.Vacantix
work=$(mktemp -d "${TMPDIR:-/tmp}/vacantix-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0 skipped=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "SKIPPED: $*" >&2; skipped=$((skipped + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }

# A private home: nothing read from or written to the real one.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
export XDG_CACHE_HOME=$work/home/cache XDG_RUNTIME_DIR=$work/home/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# A sanitizer build's programs leave out the third-party leaks the suite knows.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$source/tests/lsan.supp}

# The empty folders a scan of the samples finds: the listed empty samples
# and the folder holding only a zero-byte file.
expected_scan() {
  { cat "$source/roots/EmptySampleFolders.txt"; echo "Only a zero-byte file"; } | sed '/^$/d' | LC_ALL=C sort
}

# Runs the CLI of an installed tree ($1: the root) on that tree's samples.
check_cli() {
  local root=$1 samples=$1/usr/share/vacantix/Samples
  local version
  version=$("$root/usr/bin/vacantix-cli" --version) || fail "$root: vacantix-cli --version failed"
  [[ $version == *" $2" ]] || fail "$root: vacantix-cli --version says '$version', not version $2"
  local found
  found=$("$root/usr/bin/vacantix-cli" "$samples/") || fail "$root: the scan of the samples did not end with 0"
  found=$(printf '%s\n' "$found" | sed "s|^$samples/||" | LC_ALL=C sort)
  [ "$found" = "$(expected_scan)" ] ||
    fail "$root: the scan of the installed samples found"$'\n'"$found"$'\n'"instead of"$'\n'"$(expected_scan)"
}

version=$(sed -n 's/^project(Vacantix VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")

if [ "$mode" = tree ]; then
  root=$work/root
  DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "cmake --install failed"; exit 1; }

  # Every file the install rules name, and the layout the desktop looks up.
  while IFS= read -r file; do
    [ -e "$root$file" ] || fail "named by the install but missing: $file"
  done <"$build/install_manifest.txt"
  named=(usr/bin/vacantix-cli
         usr/share/applications/$app_id.desktop
         usr/share/metainfo/$app_id.metainfo.xml
         usr/share/icons/hicolor/scalable/apps/$app_id.svg)
  for size in 16 32 48 64 128 256; do named+=(usr/share/icons/hicolor/${size}x$size/apps/$app_id.png); done
  [ "$gui" = 1 ] && named+=(usr/bin/vacantix)
  for file in "${named[@]}"; do [ -f "$root/$file" ] || fail "not installed: /$file"; done
  while IFS= read -r folder; do
    [ -z "$folder" ] || [ -d "$root/usr/share/vacantix/Samples/$folder" ] ||
      fail "empty sample folder not installed: $folder"
  done <"$source/roots/EmptySampleFolders.txt"
  (cd "$source/Samples" && find . -type f) | while IFS= read -r file; do
    cmp -s "$source/Samples/$file" "$root/usr/share/vacantix/Samples/$file" || echo "$file"
  done >"$work/samples.diff"
  [ -s "$work/samples.diff" ] && fail "samples not installed as shipped: $(cat "$work/samples.diff")"

  # The desktop entry names what is installed, and the validators accept both files.
  desktop=$root/usr/share/applications/$app_id.desktop
  grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
  grep -qx "Exec=vacantix" "$desktop" || fail "the desktop entry starts another program"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
    "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "the AppStream file launches another desktop entry"
  if have desktop-file-validate; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
  else
    skip "desktop-file-validate is missing (Debian package desktop-file-utils)"
  fi
  if have appstreamcli; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$work/as.log" 2>&1 ||
      { cat "$work/as.log" >&2; fail "appstreamcli rejects the AppStream file"; }
  else
    skip "appstreamcli is missing (Debian package appstream)"
  fi

  check_cli "$root" "$version"

  # The window answers --help and --version without a display.
  if [ "$gui" = 1 ]; then
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vacantix" --version) &&
      [ "$out" = "vacantix $version" ] || fail "vacantix --version says '$out'"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vacantix" --help) &&
      [[ $out == "Usage: vacantix "* ]] || fail "vacantix --help says '$out'"
  fi

  # The installed window finds its samples under share: it makes again the
  # empty sample that is missing there, then scans the samples and ends.
  if [ "$gui" = 1 ]; then
    samples=$root/usr/share/vacantix/Samples
    rmdir "$samples/This one is empty 1"
    QT_QPA_PLATFORM=offscreen VACANTIX_AUTOSCAN="$samples/" timeout 30 "$root/usr/bin/vacantix" \
      >"$work/window.out" 2>"$work/window.err" || { cat "$work/window.err" >&2; fail "the installed window did not end well"; }
    grep -q "^window scan: [1-9][0-9]* results" "$work/window.out" ||
      fail "the installed window scanned nothing: $(cat "$work/window.out")"
    [ -d "$samples/This one is empty 1" ] || fail "the installed window did not make its empty samples again"
  fi
fi

if [ "$mode" = deb ]; then
  for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    have "$tool" || { echo "SKIPPED: $tool is missing (cpack -G DEB needs dpkg-dev and file)" >&2; exit 77; }
  done
  cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; exit 1; }
  deb=$(find "$work/pkg" -maxdepth 1 -name '*.deb')
  [ "$(printf '%s\n' "$deb" | wc -l)" = 1 ] && [ -f "$deb" ] || { fail "cpack made no single .deb"; exit 1; }

  [ "$(dpkg-deb -f "$deb" Package)" = vacantix ] || fail "the package is not named vacantix"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package version is not $version"
  [ "$(dpkg-deb -f "$deb" Maintainer)" = "Quillmark Vacantix developers <vacantix@quillmark.example>" ] ||
    fail "the package names another maintainer"
  [ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "the package is not in section utils"
  dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "dpkg-shlibdeps found no dependencies"
  dpkg-deb -f "$deb" Recommends | grep -q 'fonts-noto-cjk' || fail "the package recommends no CJK font"

  dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' >"$work/contents"
  for file in ./usr/bin/vacantix-cli ./usr/share/applications/$app_id.desktop \
              ./usr/share/metainfo/$app_id.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
              "./usr/share/vacantix/Samples/This one is empty 1/"; do
    grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
  done
  [ "$gui" = 1 ] && { grep -qx './usr/bin/vacantix' "$work/contents" || fail "the package lacks ./usr/bin/vacantix"; }

  for file in ./usr/share/doc/vacantix/copyright ./usr/share/doc/vacantix/changelog.gz \
              ./usr/share/man/man1/vacantix-cli.1.gz ./usr/share/lintian/overrides/vacantix; do
    grep -qxF "$file" "$work/contents" || fail "the package lacks $file"
  done
  # What Debian's own check finds, but for what the overrides file means.
  if [ "$gui" != 1 ] || [ "$shippable" != 1 ]; then
    echo "lintian: not run on a build without the window or with the sanitizers"
  elif have lintian; then
    lintian -I --fail-on error,warning,info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
      fail "lintian finds: $(grep -v 'root privileges' "$work/lintian.log")"
  else
    skip "lintian is missing (Debian package lintian)"
  fi

  dpkg-deb -x "$deb" "$work/unpacked" || fail "dpkg-deb -x failed"
  check_cli "$work/unpacked" "$version"
fi

((failures)) && exit 1
((skipped)) && exit 77
exit 0
