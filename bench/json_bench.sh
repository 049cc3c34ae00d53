#!/usr/bin/env bash
# The cost of a scan's JSON on a registry with many problems.
#
# Makes a prefix whose system.reg holds about 110 000 keys and 520 000
# values (gen_prefix.py at SCALE, default 1.1) with about 10 % of the class
# registrations and 20 % of the App Paths pointing at missing files and
# every uninstall entry gone, and times on it, RUNS times each (default 5):
#
#   cat        the three .reg files (the I/O floor)
#   python     bench/parse_reg.py system.reg: an independent parse of the
#              same file by a plain Python program (the yardstick)
#   scan       vostrel-cli scan of catalogue rows 1 to 11, text listing
#   scan json  the same with --json
#
# and prints the minimum CPU seconds, the peak memory, the problems found,
# and: the JSON scan's CPU against the Python parse (goal <= 0.03), its peak
# against the size of the .reg files (goal <= 1.5), and the JSON's own CPU
# per problem, the JSON scan less the text scan (goal <= 2 us).
#
#   bench/json_bench.sh
#   VOSTREL_CLI=build/release/vostrel-cli VOSTREL_CLI_BEFORE=/path/to/old/vostrel-cli bench/json_bench.sh
#
# Environment: RUNS, SCALE, VOSTREL_CLI (default: built optimised into
# build/bench), VOSTREL_CLI_BEFORE (a second program timed the same way),
# BENCH_WORK (default /tmp/vostrel-json-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

bench_setup /tmp/vostrel-json-bench
runs=${RUNS:-5} scale=${SCALE:-1.1}
bench_build_cli
bench_base_prefix
sections="Registry Integrity;Custom Controls;Sub Section Controls;Software Locations;Help Files;Shared Files;Windows Startup;Uninstall Section;Virtual Devices;Windows Fonts;Configuration files"

reg=$work/problems-$scale
if [[ ! -f $reg/system.reg ]]; then
  rm -rf "$reg" && mkdir -p "$reg/dosdevices"
  cp "$work/base/user.reg" "$work/base/userdef.reg" "$reg/"
  ln -sfn "$work/base/drive_c" "$reg/drive_c"
  ln -sfn ../drive_c "$reg/dosdevices/c:"
  python3 "$here/gen_prefix.py" "$work/base/system.reg" "$reg/system.reg.tmp" --scale "$scale" \
    --class-broken 0.1 --app-broken 0.2 --uninstall-broken 1 >"$reg/generated.txt"
  mv "$reg/system.reg.tmp" "$reg/system.reg"
fi
reg_bytes=$(cat "$reg"/*.reg | wc -c)
system_bytes=$(wc -c <"$reg/system.reg")

problems_of() {
  "$@" 2>/dev/null | python3 -c 'import json,sys; d=json.load(sys.stdin); print(sum(len(d.get(k) or []) for k in ("registry", "shortcuts", "menuEntries")))'
}

declare -A cpu peak
row() {
  local name=$1
  shift
  measure "$runs" "$@"
  cpu[$name]=$m_cpu_min
  peak[$name]=$m_peak
  printf '| %s | %s | %s | %s | %s | %s |\n' "$name" "$m_min" "$m_med" "$m_cpu_min" "$m_cpu_med" "$m_peak"
}

programs=("$cli")
[[ -n ${VOSTREL_CLI_BEFORE:-} ]] && programs+=("$VOSTREL_CLI_BEFORE")
results=$work/results.md
{
  echo "$(machine_info)"
  echo
  echo "Registry: scale $scale, $(cat "$reg/generated.txt"), $(python3 "$here/parse_reg.py" "$reg/system.reg") in system.reg;"
  echo "$reg_bytes bytes of .reg files ($system_bytes of system.reg)."
  echo
  echo "| row | min s | median s | cpu min s | cpu median s | peak MB |"
  echo "|---|---|---|---|---|---|"
  row "cat .reg" cat "$reg/system.reg" "$reg/user.reg" "$reg/userdef.reg"
  row "python parse" python3 "$here/parse_reg.py" "$reg/system.reg"
  for program in "${programs[@]}"; do
    tag=""
    [[ $program != "$cli" ]] && tag=", before"
    row "scan$tag" "$program" scan --prefix "$reg" --sections "$sections" --quiet
    row "scan --json$tag" "$program" scan --prefix "$reg" --sections "$sections" --json --quiet
  done
  echo
  problems=$(problems_of "$cli" scan --prefix "$reg" --sections "$sections" --json --quiet)
  echo "Problems found: $problems"
  echo
  for program in "${programs[@]}"; do
    tag=""
    [[ $program != "$cli" ]] && tag=", before"
    python3 - "$tag" "${cpu[python parse]}" "${cpu[scan$tag]}" "${cpu[scan --json$tag]}" \
      "${peak[scan --json$tag]}" "$reg_bytes" "$problems" <<'PY'
import sys
tag, python, plain, js, peak, reg_bytes, problems = sys.argv[1:]
python, plain, js, peak = float(python), float(plain), float(js), float(peak)
reg_mb, problems = int(reg_bytes) / 1048576, int(problems)
print("- scan --json%s: CPU %.3f x the Python parse (goal <= 0.03); peak %.2f x the .reg files "
      "(goal <= 1.5); the JSON less the text listing %.2f us per problem (goal <= 2)"
      % (tag, js / python, peak / reg_mb, (js - plain) / max(problems, 1) * 1e6))
PY
  done
} | tee "$results"
