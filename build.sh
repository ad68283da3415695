#!/usr/bin/env bash
# Sets Vacantix up on a Debian machine and runs it or its tests.
#   ./build.sh run    install what is missing, build, start the program
#   ./build.sh test   install what is missing, build, run the test suite; then
#                     cross-build for Windows with MinGW-w64 (build-mingw/) and
#                     run its suites and vacantix-cli.exe under wine64; then
#                     build it again under ASan and UBSan (build-asan/) and run
#                     it there, with the fuzz targets
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
case "$mode" in run|test) ;; *) echo "usage: $0 run|test" >&2; exit 2 ;; esac

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libglib2.0-dev libicu-dev clang libclang-rt-14-dev e2fsprogs
          xvfb xauth fonts-dejavu-core fonts-liberation2 groff-base man-db
          desktop-file-utils appstream dpkg-dev file)
# The Windows cross build (its icon, installer and portable zip), wine and
# xdotool for driving it through X, lintian for the package, strace for
# counting the system calls of a scan, and git for a repository that a run
# must leave working, for the tests only.
if [ "$mode" = test ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine64 icoutils nsis zip xdotool lintian strace git)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${VACANTIX_BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
if [ "$mode" = test ]; then
  cmake --build "$build" --parallel "$(nproc)"
else
  # Only the two programs and their samples: the test suites wait for the test command.
  cmake --build "$build" --parallel "$(nproc)" --target vacantix vacantix-cli vacantix_samples
fi

if [ "$mode" = test ]; then
  (cd "$build" && ctest --output-on-failure --parallel "$(nproc)")
  # The engine and vacantix-cli for Windows, built with MinGW-w64 and run under
  # wine64: the suites that need neither POSIX nor Qt, and the CLI's answers
  # on the samples next to the Linux CLI's (tests/wine_check.sh).
  cross=${VACANTIX_CROSS_BUILD_DIR:-build-mingw}
  cross_started=$SECONDS
  cmake -S . -B "$cross" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    --toolchain cmake/mingw-w64-x86_64.cmake "${launcher[@]}" >/dev/null
  cmake --build "$cross" --parallel "$(nproc)"
  tests/wine_check.sh "$cross" "$build"
  echo "Windows cross build and wine checks: $((SECONDS - cross_started)) s"
  # The same suite once more, built with clang under AddressSanitizer and
  # UndefinedBehaviorSanitizer, with the fuzz targets of fuzz/ (a few seconds
  # each on their seed corpora) in its CTest run.
  sanitized=${VACANTIX_SANITIZE_BUILD_DIR:-$build-asan}
  CXX=clang++ cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVACANTIX_SANITIZE=ON -DVACANTIX_FUZZ=ON -DVACANTIX_BUILD_GUI=OFF "${launcher[@]}" >/dev/null
  cmake --build "$sanitized" --parallel "$(nproc)"
  cd "$sanitized"
  exec ctest --output-on-failure --parallel "$(nproc)"
fi

if [ -x "$build/vacantix" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$build/vacantix"
fi
if [ -x "$build/vacantix" ]; then
  echo "No display here: scanning the sample folders with vacantix-cli instead."
  "$build/vacantix-cli" "$build/Samples/" || true
  echo
  echo "To see the window, run $build/vacantix on a desktop, or here under Xvfb:"
  echo "  xvfb-run -a $build/vacantix"
else
  echo "Built $build/vacantix-cli. The window program is not part of this build yet."
  echo "Try: $build/vacantix-cli --help"
fi
