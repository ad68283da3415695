#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a scan in the window against vacantix-cli on the same tree, and the
# longest wait between two turns of the window's event loop during it.
#
#   bench/window.sh [OUT]     the tree goes to OUT (default bench/out)
#
# Environment: BUILD (default build), RUNS (timed runs per command, default
# 3), COUNT (empty folders in the tree, default 100000), TREE (an existing
# tree to scan instead, such as run.sh's t2), TRASH (when set to N, one more
# window run on a tree of COUNT empty folders built for it times Uncheck All,
# Check All, a scroll and sending the first N results to the private home's
# trash; that tree is removed afterwards). The window runs on
# the offscreen platform for the timings, and once more under xvfb-run when
# it is there, so that real painting is part of the gap. Settings go to a
# private home, so the user's own options are neither read nor changed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mkdir -p "${1:-$here/out}" && cd "${1:-$here/out}" && pwd)
build=$(cd "${BUILD:-$here/../build}" && pwd)
runs=${RUNS:-3}
count=${COUNT:-100000}

for tool in hyperfine python3; do
  command -v "$tool" >/dev/null || { echo "window.sh: $tool is missing" >&2; exit 2; }
done
for program in vacantix vacantix-cli; do
  [ -x "$build/$program" ] || { echo "window.sh: no $build/$program; build first" >&2; exit 2; }
done

tree=${TREE:-$out/window-leaves-$count}
if [ ! -d "$tree" ]; then
  echo "building $tree" >&2
  python3 "$here/gen_tree.py" leaves "$tree" --count "$count" >&2
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Both read the same stored options, as each reads them for every folder:
# files of 0 bytes are content, system folders skipped, hidden folders
# searched, nothing ignored.
mkdir -p "$XDG_CONFIG_HOME/Quillmark"
printf '[Vacantix]\nCheck1=0\nCheck2=1\nCheck3=0\nText1=\n' >"$XDG_CONFIG_HOME/Quillmark/Vacantix.conf"
cli=("$build/vacantix-cli" "$tree")
window=(env QT_QPA_PLATFORM=offscreen VACANTIX_AUTOSCAN="$tree" "$build/vacantix")

echo "load: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; tree $tree"
json=$out/window.json
hyperfine -N --style none --warmup 1 --runs "$runs" --export-json "$json" \
  --command-name vacantix-cli "$(printf '%q ' "${cli[@]}")" \
  --command-name window "$(printf '%q ' "${window[@]}")" >/dev/null

echo "one more window run (offscreen):"
"${window[@]}" 2>/dev/null
if command -v xvfb-run >/dev/null; then
  echo "one more window run (Xvfb):"
  VACANTIX_AUTOSCAN="$tree" xvfb-run -a "$build/vacantix" 2>/dev/null
fi

if [ -n "${TRASH:-}" ]; then
  used="$out/window-trash-$count"
  rm -rf "$used"
  python3 "$here/gen_tree.py" leaves "$used" --count "$count" >/dev/null
  echo "the list's commands and the trash (offscreen):"
  env QT_QPA_PLATFORM=offscreen VACANTIX_AUTOSCAN="$used" VACANTIX_AUTOTRASH="$TRASH" "$build/vacantix" 2>/dev/null
  rm -rf "$used"
fi

g++ -O2 -o "$out/peak_rss" "$here/peak_rss.cpp"
echo "peak RSS in KiB, records, exit status:"
echo "  vacantix-cli: $("$out/peak_rss" "${cli[@]}")"
echo "  window:       $("$out/peak_rss" "${window[@]}" 2>/dev/null)"

python3 - "$json" <<'PY'
import json, sys
results = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
cli, window = results["vacantix-cli"], results["window"]
print("median vacantix-cli %.3f s, window %.3f s: window / cli = %.2f (at most 1.30 wanted)"
      % (cli, window, window / cli))
PY
