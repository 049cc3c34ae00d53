#!/usr/bin/env bash
# Times a repair of many problems, with backups on: every broken App Paths
# entry of a generated prefix is written to the backup file and removed.
# The repair writes all records of a batch, flushes the file and its folder
# once, then removes the batch; this shows how many records a second that
# gives, next to the scan alone on the same prefix (subtracted).
#
#   bench/repair_bench.sh [COUNT]         default: 10980 problems
#
# Builds vostrel-cli optimised into build/bench first; the backup folder is
# on the same disk as the work folder (BENCH_WORK, default /tmp/vostrel-repair-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
count=${1:-10980}
bench_setup /tmp/vostrel-repair-bench
bench_build_cli
bench_base_prefix

# A copy of the base prefix with COUNT App Paths keys whose program is gone.
make_prefix() {
  local p=$work/prefix
  rm -rf "$p" "$work/backups"
  mkdir -p "$p/dosdevices" "$work/backups"
  chmod 700 "$work/backups"
  cp "$work/base/"{system,user,userdef}.reg "$p/"
  ln -s "$work/base/drive_c" "$p/drive_c"
  ln -s ../drive_c "$p/dosdevices/c:"
  python3 - "$p/system.reg" "$count" <<'PY'
import sys
path, count = sys.argv[1], int(sys.argv[2])
with open(path, "a", newline="\n") as f:
    for i in range(count):
        f.write('\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\gone%05d.exe] 1700000000\n' % i)
        f.write('@="C:\\\\gone\\\\program%05d\\\\gone%05d.exe"\n' % (i, i))
PY
}

seconds() { /usr/bin/time -f %e "$@" 2>&1 >/dev/null | tail -1; }

make_prefix
scan=$(seconds "$cli" scan --prefix "$work/prefix" --sections "Software Locations" --json --quiet)
repair=$(seconds "$cli" repair --prefix "$work/prefix" --sections "Software Locations" --json --yes \
  --backup-dir "$work/backups")
records=$(wc -l < "$(ls -d "$work/backups/BackUp "* | grep -v ' files$' | head -1)")
python3 - "$records" "$scan" "$repair" <<'PY'
import sys
records, scan, repair = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
backup = max(repair - scan, 1e-6)
print(f"records {records}  scan {scan:.2f} s  repair {repair:.2f} s  "
      f"repair less scan {backup:.2f} s  {records / backup:.0f} records/s  ({records / repair:.0f} records/s whole)")
PY
