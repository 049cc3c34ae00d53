#!/usr/bin/env bash
# Times, side by side in one run, what the program does against its floors
# on the same data:
#
#   cat       the three .reg files of a generated registry (the I/O floor)
#   scan      vostrel-cli scan, catalogue rows 1 to 11 (the full registry scan)
#   load      the same with only "Registry Integrity": opening the prefix
#             (reading and indexing the .reg files) plus one small section;
#             the program has no switch that only loads
#   find      find DRIVE_C -printf '%s %m %p\n' over a generated tree
#   walk      vostrel-cli scan of the drive row "Window Shortcut C" alone,
#             over the same tree (its prefix's registry is empty, so the time
#             is the walk and the shortcut checks)
#   find/walk cold: the same with the page cache dropped before every run
#             (root only)
#   window    the desktop program's time to its first visible window on the
#             registry prefix (X server Xvfb and xev; needs the vostrel
#             program: cmake --build build/bench --target vostrel), and the
#             time (from main()) at which it has read the prefix
#   wine      wine reg query HKLM\Software /s at a small scale, once
#
# Every row but wine runs RUNS times (default 5): minimum and median
# elapsed seconds, minimum and median CPU seconds (user + system), largest
# peak memory (MB). The results go to stdout as a Markdown table and to
# $BENCH_WORK/results.md, with the machine it ran on.
#
#   bench/run_bench.sh             the full run (builds vostrel-cli optimised
#                                  into build/bench first)
#   bench/run_bench.sh --window    the desktop program's rows alone (the
#                                  registry prefix, no vostrel-cli build)
#   bench/run_bench.sh --smoke     a tiny run (seconds): every row but the
#                                  cold ones, wine and the window, at a tiny
#                                  size, once
#
# Environment: RUNS, SCALE (registry size, default 1: about 100 000 keys),
# SCALES (e.g. "0.25 1 4": the registry rows again at each of these sizes,
# with CPU and peak memory per MB of .reg files, to show the growth),
# REGISTRY_ONLY=1 (the registry rows alone: no tree, walk or window),
# WALK_FILES and WALK_FOLDERS (default 200000 and 20000), WINE_SCALE (default
# 0.1; empty: no wine row), VOSTREL_CLI (the program to time instead of the
# optimised build), VOSTREL_CLI_BEFORE (a second build, e.g. of an earlier
# commit, timed on the scan and walk rows too), VOSTREL_GUI (the desktop
# program; default build/bench/vostrel when it was built),
# VOSTREL_GUI_BEFORE (a second desktop program for the window rows),
# VOSTREL_GUI_FLOOR (a Qt program that only shows an empty window, timed the
# same way: what starting Qt costs on the machine), BENCH_WORK
# (default /tmp/vostrel-bench; /tmp/vostrel-bench-smoke with --smoke).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

smoke=0 window_only=0
[[ ${1:-} == --smoke ]] && smoke=1
[[ ${1:-} == --window ]] && window_only=1
if ((smoke)); then
  bench_setup /tmp/vostrel-bench-smoke
  runs=1 scale=${SCALE:-0.01} walk_files=${WALK_FILES:-2000} walk_folders=${WALK_FOLDERS:-200} wine_scale=""
else
  bench_setup /tmp/vostrel-bench
  runs=${RUNS:-5} scale=${SCALE:-1} walk_files=${WALK_FILES:-200000} walk_folders=${WALK_FOLDERS:-20000}
  wine_scale=${WINE_SCALE-0.1}
fi
((window_only)) || bench_build_cli
sections="Registry Integrity;Custom Controls;Sub Section Controls;Software Locations;Help Files;Shared Files;Windows Startup;Uninstall Section;Virtual Devices;Windows Fonts;Configuration files"

# The base registry: Wine's own (wineboot) for a real run; a bare one for the
# smoke run, which must not wait for wineboot.
if ((smoke)); then
  mkdir -p "$work/base/dosdevices" "$work/base/drive_c"
  for reg in system user userdef; do
    [[ -f $work/base/$reg.reg ]] || printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n' >"$work/base/$reg.reg"
  done
else
  bench_base_prefix
fi

# A prefix carrying the generated system.reg at a scale; drive_c linked.
make_reg_prefix() {
  local dir=$work/reg-$1
  if [[ ! -f $dir/system.reg ]]; then
    rm -rf "$dir" && mkdir -p "$dir/dosdevices"
    cp "$work/base/user.reg" "$work/base/userdef.reg" "$dir/"
    ln -sfn "$work/base/drive_c" "$dir/drive_c"
    ln -sfn ../drive_c "$dir/dosdevices/c:"
    python3 "$here/gen_prefix.py" "$work/base/system.reg" "$dir/system.reg.tmp" --scale "$1" >"$dir/generated.txt"
    mv "$dir/system.reg.tmp" "$dir/system.reg"
  fi
  echo "$dir"
}

# A prefix whose drive C is the generated tree alone, with empty registries.
make_walk_prefix() {
  local dir=$work/walk-$walk_files-$walk_folders
  if [[ ! -f $dir/generated.txt ]]; then
    rm -rf "$dir" && mkdir -p "$dir/dosdevices" "$dir/drive_c"
    for reg in system user userdef; do
      printf 'WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n' >"$dir/$reg.reg"
    done
    ln -sfn ../drive_c "$dir/dosdevices/c:"
    python3 "$here/gen_tree.py" "$dir/drive_c" --files "$walk_files" --folders "$walk_folders" >"$dir/generated.txt.tmp"
    mv "$dir/generated.txt.tmp" "$dir/generated.txt"
  fi
  echo "$dir"
}

reg=$(make_reg_prefix "$scale")
registry_only=${REGISTRY_ONLY:-0}
walk=
((window_only || registry_only)) || walk=$(make_walk_prefix)
reg_mb=$(du -cm "$reg"/*.reg | tail -1 | cut -f1)
results=$work/results.md
# Rows found: the report's "registry" and "shortcuts" lists (older builds:
# "lvwErrors" and "lvwShortcut").
rows_of() { "$@" 2>/dev/null | python3 -c 'import json,sys; d=json.load(sys.stdin); print(sum(len(d.get(k) or []) for k in ("registry", "shortcuts", "lvwErrors", "lvwShortcut")))'; }

{
  echo "$(machine_info)"
  echo
  echo "Registry: scale $scale, $(cat "$reg/generated.txt"), $reg_mb MB of .reg files.${walk:+ Tree: $(cat "$walk/generated.txt").}"
  echo
  echo "| row | runs | min s | median s | cpu min s | cpu median s | peak MB | rows found |"
  echo "|---|---|---|---|---|---|---|---|"
} | tee "$results"

row() {  # row NAME ROWS-FOUND CMD...
  local name=$1 found=$2
  shift 2
  measure "$runs" "$@"
  echo "| $name | $runs | $m_min | $m_med | $m_cpu_min | $m_cpu_med | $m_peak | $found |" | tee -a "$results"
}

sync
if ((!window_only)); then
row "cat .reg" "" cat "$reg/system.reg" "$reg/user.reg" "$reg/userdef.reg"
row "scan rows 1-11" "$(rows_of "$cli" scan --prefix "$reg" --sections "$sections" --json --quiet)" \
  "$cli" scan --prefix "$reg" --sections "$sections" --json --quiet
row "load (Registry Integrity)" "" "$cli" scan --prefix "$reg" --sections "Registry Integrity" --json --quiet
((registry_only)) || row "find -printf" "" find "$walk/drive_c" -printf '%s %m %p\n'
((registry_only)) || row "walk of C:" "$(rows_of "$cli" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet)" \
  "$cli" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet
if [[ -n ${VOSTREL_CLI_BEFORE:-} ]]; then
  before=$VOSTREL_CLI_BEFORE
  row "scan rows 1-11, before" "$(rows_of "$before" scan --prefix "$reg" --sections "$sections" --json --quiet)" \
    "$before" scan --prefix "$reg" --sections "$sections" --json --quiet
  ((registry_only)) || row "walk of C:, before" "$(rows_of "$before" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet)" \
    "$before" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet
fi
if ((!smoke && !registry_only)) && [[ $(id -u) == 0 ]]; then
  export MEASURE_COLD=1
  row "find -printf, cold" "" find "$walk/drive_c" -printf '%s %m %p\n'
  row "walk of C:, cold" "" "$cli" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet
  [[ -n ${VOSTREL_CLI_BEFORE:-} ]] &&
    row "walk of C:, cold, before" "" "$VOSTREL_CLI_BEFORE" scan --prefix "$walk" --sections "Window Shortcut C" --json --quiet
  unset MEASURE_COLD
fi

fi

# The desktop program: from its start to the first window the X server maps
# (xev reports every window mapped on the root; Qt's own helper windows are
# never mapped), and to the moment the window has the prefix read
# (VOSTREL_STARTUP_TIMES makes the program say when, counted from main()).
# VOSTREL_GUI_BEFORE times a second build (e.g. of an earlier commit) too.
gui=${VOSTREL_GUI:-$bench_root/build/bench/vostrel}
if ((!smoke && !registry_only)) && [[ -x $gui ]] && command -v Xvfb >/dev/null && command -v xev >/dev/null; then
  first_window() {  # first_window PROGRAM: prints "MAPPED LOADED" (seconds; LOADED "-" when not said)
    local display=:$((90 + RANDOM % 100)) server watcher program start log=$work/mapped.txt times=$work/startup.txt i loaded
    Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    server=$!
    sleep 1
    : >"$log"
    : >"$times"
    (DISPLAY=$display stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
      [[ $line == MapNotify* ]] && date +%s.%N >>"$log"
    done) &
    watcher=$!
    sleep 0.5
    start=$(date +%s.%N)
    DISPLAY=$display VOSTREL_STARTUP_TIMES=1 "$1" --prefix "$reg" >/dev/null 2>"$times" &
    program=$!
    for ((i = 0; i < 400; i++)); do
      [[ -s $log ]] && break
      sleep 0.025
    done
    # The program that reads the prefix after its window shows says so.
    for ((i = 0; i < 400; i++)); do
      grep -q "prefix loaded" "$times" && break
      kill -0 "$program" 2>/dev/null || break
      sleep 0.025
    done
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    kill "$server" 2>/dev/null || true
    wait "$server" "$watcher" 2>/dev/null || true
    loaded=$(sed -n 's/.*prefix loaded after \([0-9.e-]*\) s.*/\1/p' "$times" | head -1)
    if [[ -s $log ]]; then python3 -c "print(round($(head -1 "$log") - $start, 3))"; else echo 10; fi | tr '\n' ' '
    echo "${loaded:--}"
  }
  window_rows() {  # window_rows LABEL PROGRAM
    local mapped=() loaded=() run m l
    for ((run = 0; run < runs; run++)); do
      read -r m l < <(first_window "$2")
      mapped+=("$m")
      [[ $l != - ]] && loaded+=("$l")
    done
    read -r w_min w_med < <(python3 -c "import statistics,sys; t=[float(x) for x in sys.argv[1:]]; print(min(t), statistics.median(t))" "${mapped[@]}")
    echo "| first window (desktop)$1, registry prefix | $runs | $w_min | $w_med | | | | |" | tee -a "$results"
    if ((${#loaded[@]})); then
      read -r w_min w_med < <(python3 -c "import statistics,sys; t=[round(float(x), 3) for x in sys.argv[1:]]; print(min(t), statistics.median(t))" "${loaded[@]}")
      echo "| prefix read, window ready (desktop)$1, from main() | ${#loaded[@]} | $w_min | $w_med | | | | |" | tee -a "$results"
    fi
  }
  window_rows "" "$gui"
  [[ -n ${VOSTREL_GUI_BEFORE:-} ]] && window_rows ", before" "$VOSTREL_GUI_BEFORE"
  [[ -n ${VOSTREL_GUI_FLOOR:-} ]] && window_rows ", an empty Qt window (the floor)" "$VOSTREL_GUI_FLOOR"
else
  echo "| first window (desktop) | | TODO: needs Xvfb, xev and the vostrel program (VOSTREL_GUI) | | | | | |" | tee -a "$results"
fi

# The registry rows at several sizes: CPU against cat's and peak memory
# against the size of the .reg files, which stay flat while both grow
# linearly.
if [[ -n ${SCALES:-} ]]; then
  {
    echo
    echo "| scale | .reg MB | cat cpu min s | scan cpu min s | scan cpu / cat | scan peak MB | peak / .reg | load cpu min s | load peak MB |"
    echo "|---|---|---|---|---|---|---|---|---|"
  } | tee -a "$results"
  for s in $SCALES; do
    dir=$(make_reg_prefix "$s")
    mb=$(du -cb "$dir"/*.reg | tail -1 | cut -f1)
    measure "$runs" cat "$dir/system.reg" "$dir/user.reg" "$dir/userdef.reg"
    cat_cpu=$m_cpu_min
    measure "$runs" "$cli" scan --prefix "$dir" --sections "$sections" --json --quiet
    scan_cpu=$m_cpu_min scan_peak=$m_peak
    measure "$runs" "$cli" scan --prefix "$dir" --sections "Registry Integrity" --json --quiet
    python3 -c "
import sys
s, size, cat, scan, peak, lcpu, lpeak = sys.argv[1:]
mb = int(size) / 1e6
print(f'| {s} | {mb:.1f} | {cat} | {scan} | {float(scan) / max(float(cat), 1e-6):.1f}x | {peak} | {float(peak) * 1048576 / int(size):.2f}x | {lcpu} | {lpeak} |')
" "$s" "$mb" "$cat_cpu" "$scan_cpu" "$scan_peak" "$m_cpu_min" "$m_peak" | tee -a "$results"
  done
fi

if [[ -n $wine_scale ]] && ((!window_only)); then
  small=$(make_reg_prefix "$wine_scale")
  WINEPREFIX=$small wineserver -k 2>/dev/null || true
  WINEPREFIX=$small timed wine reg query 'HKLM\Software' /s
  wine_s=$elapsed wine_cpu=$cpu
  WINEPREFIX=$small wineserver -k 2>/dev/null || true
  echo "| wine reg query HKLM\\Software /s, scale $wine_scale | 1 | $wine_s | | $wine_cpu (wine's own process) | | | |" | tee -a "$results"
  runs_saved=$runs
  row "scan rows 1-11, scale $wine_scale" "" "$cli" scan --prefix "$small" --sections "$sections" --json --quiet
  runs=$runs_saved
fi
echo | tee -a "$results"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$results"
