#!/usr/bin/env bash
# Times the default scan of a fresh wineboot prefix on a machine whose home
# folder is large: the prefix is made by `wineboot -i` with HOME pointing at a
# generated home (Desktop, Documents, Music, Pictures, Videos, Downloads,
# Templates and plenty more, FILES files in all), so Wine links the user's
# shell folders into it as it does on a real machine. The scan runs with
# default settings (every section row, the prefix's own drives; z: mapped to
# "/" is a host drive and stays unchecked), three times, warm cache.
#
#   bench/walk_bench.sh [FILES]          default: 200000
#
# Builds vostrel-cli optimised into build/bench first (VOSTREL_CLI=path runs
# another build instead). Prints elapsed and
# user + system CPU seconds of each run and the number of problems found.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
files=${1:-200000}
bench_setup /tmp/vostrel-walk-bench
bench_build_cli

# The home folder: FILES files spread over the usual folders and a source
# tree, each folder holding at most 500 files, a few .lnk names among them.
if [[ ! -f $HOME/.generated-$files ]]; then
  python3 - "$HOME" "$files" <<'EOF'
import os, sys
home, total = sys.argv[1], int(sys.argv[2])
tops = ["Desktop", "Documents", "Music", "Pictures", "Videos", "Downloads", "src", ".cache", "Games"]
made = 0
folder_no = 0
while made < total:
    top = tops[folder_no % len(tops)]
    folder = os.path.join(home, top, "d%03d" % (folder_no // 50), "e%03d" % folder_no)
    os.makedirs(folder, exist_ok=True)
    for i in range(min(500, total - made)):
        name = "f%05d.lnk" % i if i % 100 == 0 else "f%05d.txt" % i
        with open(os.path.join(folder, name), "w") as f:
            f.write("x")
    made += min(500, total - made)
    folder_no += 1
open(os.path.join(home, ".generated-%d" % total), "w").close()
EOF
fi

prefix=$work/prefix
if [[ ! -f $prefix/system.reg ]]; then
  # Made with the generated HOME, so Wine links the shell folders into it.
  WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
fi
echo "home: $(find "$HOME" -type f | wc -l) files; prefix drive_c: $(find "$prefix/drive_c" | wc -l) entries"
echo "shell folder links:"
for link in "$prefix"/drive_c/users/*/*; do
  [[ -L $link ]] && echo "  ${link#$prefix/} -> $(readlink "$link")"
done

peak_of "$cli" scan --prefix "$prefix" --json --quiet  # also warms the cache
for run in 1 2 3; do
  timed "$cli" scan --prefix "$prefix" --json --quiet
  problems=$("$cli" scan --prefix "$prefix" --json --quiet 2>/dev/null |
    python3 -c "import json,sys; d=json.load(sys.stdin); print(len(d['lvwErrors']) + len(d['lvwShortcut']))")
  echo "run $run: ${elapsed}s elapsed (${cpu}s cpu), peak ${peak} kB, $problems problems"
done
