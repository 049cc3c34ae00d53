#!/usr/bin/env bash
# Times a full registry scan (catalogue rows 1 to 11) of generated Wine
# prefixes at 1x, 2x and 4x the base size, next to two baselines on the same
# registry: reading the .reg files (cat, the I/O floor) and Wine's own walk
# of HKLM\Software through the Windows API (wine reg query /s), which takes
# minutes at full size and so also runs at a smaller size.
#
#   bench/run_bench.sh [SCALES...]        default: 1 2 4
#   WINE_SCALES="0.1 1" bench/run_bench.sh  scales at which Wine walks too
#
# Builds vostrel-cli optimised into build/bench first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
work=${BENCH_WORK:-/tmp/vostrel-bench}
cli=$root/build/bench/vostrel-cli
scales=("${@:-1 2 4}")
read -r -a scales <<<"${scales[*]}"
wine_scales=${WINE_SCALES:-"0.1 1"}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$work" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

# An optimised build of its own (GCC 12 warns falsely about string copies at
# -O3, hence -Wno-restrict).
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF \
  -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
cmake --build "$root/build/bench" -j2 --target vostrel-cli >/dev/null
if [[ ! -f $work/base/system.reg ]]; then
  WINEPREFIX=$work/base wineboot -i >/dev/null 2>&1
  WINEPREFIX=$work/base wineserver -w
fi

sections="Registry Integrity;Custom Controls;Sub Section Controls;Software Locations;Help Files;Shared Files;Windows Startup;Uninstall Section;Virtual Devices;Windows Fonts;Configuration files"

# A prefix carrying the generated system.reg; drive_c is linked, not copied.
make_prefix() {
  local scale=$1 dir=$work/pfx-$1
  if [[ ! -f $dir/system.reg ]]; then
    rm -rf "$dir" && mkdir -p "$dir"
    cp -a "$work/base/dosdevices" "$work/base/user.reg" "$work/base/userdef.reg" "$work/base/.update-timestamp" "$dir/"
    cp -al "$work/base/drive_c" "$dir/drive_c"
    ln -sfn ../drive_c "$dir/dosdevices/c:"
    python3 "$here/gen_prefix.py" "$work/base/system.reg" "$dir/system.reg" --scale "$scale" >"$dir/generated.txt"
  fi
  echo "$dir"
}

# Runs a command, output dropped; its elapsed seconds and peak memory (kB)
# are then in $elapsed and $peak.
timed() {
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
  read -r elapsed peak <"$work/time.txt"
}

printf "%-6s %-32s %10s %8s %10s %12s %10s %10s\n" scale generated reg_MB cat_s scan_s scan_peak_MB ratio_cat rows
for scale in "${scales[@]}"; do
  dir=$(make_prefix "$scale")
  regmb=$(du -cm "$dir"/*.reg | tail -1 | cut -f1)
  sync
  timed cat "$dir/system.reg" "$dir/user.reg" "$dir/userdef.reg"; cat_s=$elapsed
  timed "$cli" scan --prefix "$dir" --sections "$sections" --json --quiet; scan_s=$elapsed
  scan_peak=$((peak / 1024))
  rows=$("$cli" scan --prefix "$dir" --sections "$sections" --json --quiet | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["lvwErrors"]))')
  ratio=$(python3 -c "print(round($scan_s / max($cat_s, 0.01), 1))")
  printf "%-6s %-32s %10s %8s %10s %12s %10s %10s\n" "$scale" "$(cat "$dir/generated.txt")" "$regmb" "$cat_s" "$scan_s" "$scan_peak" "$ratio" "$rows"
done

for scale in $wine_scales; do
  dir=$(make_prefix "$scale")
  WINEPREFIX=$dir wineserver -k 2>/dev/null || true
  WINEPREFIX=$dir timed wine reg query 'HKLM\Software' /s; wine_s=$elapsed
  WINEPREFIX=$dir wineserver -k 2>/dev/null || true
  timed "$cli" scan --prefix "$dir" --sections "$sections" --json --quiet; scan_s=$elapsed
  echo "scale $scale: wine reg query HKLM\\Software /s ${wine_s}s, full scan ${scan_s}s, ratio $(python3 -c "print(round($wine_s / max($scan_s, 0.001)))")x"
done
