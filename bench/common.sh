# Shared by the bench scripts (sourced, not run): the work folder and the
# environment that keeps Wine and the program away from the real user's
# files, the optimised build, the base prefix made by wineboot, and the
# timing of commands.
#
#   bench_setup DEFAULT_WORK   work folder ($BENCH_WORK, else DEFAULT_WORK),
#                              HOME and XDG folders inside it
#   bench_build_cli            $cli: $VOSTREL_CLI, else vostrel-cli built
#                              optimised into build/bench
#   bench_base_prefix          $work/base, made once by `wineboot -i`
#   timed CMD...               runs CMD once, output dropped; sets $elapsed
#                              and $cpu (user + system s), to the microsecond
#   peak_of CMD...             runs CMD once; sets $peak (kB)
#   measure RUNS CMD...        runs CMD once for its peak memory, then RUNS
#                              times; sets $m_min, $m_med
#                              (elapsed s), $m_cpu_min, $m_cpu_med, $m_peak
#                              (largest, MB); with MEASURE_COLD=1 the page
#                              cache is dropped before every run (root only)
#   machine_info               one line: CPU, cores, kernel, load average
bench_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench_root=$(dirname "$bench_here")

bench_setup() {
  work=${BENCH_WORK:-$1}
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
  unset XDG_DESKTOP_DIR XDG_DOCUMENTS_DIR XDG_TEMPLATES_DIR
  mkdir -p "$work" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
}

# GCC 12 warns falsely about string copies at -O3, hence -Wno-restrict.
bench_build_cli() {
  if [[ -n ${VOSTREL_CLI:-} ]]; then
    cli=$VOSTREL_CLI
    return
  fi
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S "$bench_root" -B "$bench_root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVOSTREL_TESTS=OFF \
    -DCMAKE_CXX_FLAGS=-Wno-restrict "${launcher[@]}" >/dev/null
  cmake --build "$bench_root/build/bench" -j2 --target vostrel-cli >/dev/null
  cli=$bench_root/build/bench/vostrel-cli
}

bench_base_prefix() {
  if [[ ! -f $work/base/system.reg ]]; then
    WINEPREFIX=$work/base wineboot -i >/dev/null 2>&1
    WINEPREFIX=$work/base wineserver -w
  fi
}

# Elapsed and CPU times to the microsecond from wait4 (GNU time prints 10 ms
# steps, too coarse for cat). Starting any program costs about 4 ms of CPU
# on the machine of the results below, cat included.
timed() {
  read -r elapsed cpu < <(python3 - "$@" <<'PY'
import os, subprocess, sys, time
start = time.perf_counter()
try:
    child = subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(child.pid, 0)
    cpu = usage.ru_utime + usage.ru_stime
except OSError:
    cpu = 0.0
print(round(time.perf_counter() - start, 4), round(cpu, 4))
PY
  )
}

# The peak memory (kB) of one run, from GNU time (a process started by
# Python would count Python's own memory until it runs the command).
peak_of() {
  /usr/bin/time -f "%M" -o "$work/peak.txt" "$@" >/dev/null 2>&1 || true
  peak=$(tail -1 "$work/peak.txt")
}

drop_caches() {
  sync
  echo 3 >/proc/sys/vm/drop_caches
}

measure() {
  local runs=$1 run times=() cpus=() peaks=()
  shift
  # A first run, untimed, for the peak memory (and a warm cache).
  [[ ${MEASURE_COLD:-0} == 1 ]] && drop_caches
  peak_of "$@"
  peaks+=("$peak")
  for ((run = 0; run < runs; run++)); do
    [[ ${MEASURE_COLD:-0} == 1 ]] && drop_caches
    timed "$@"
    times+=("$elapsed")
    cpus+=("$cpu")
  done
  read -r m_min m_med m_cpu_min m_cpu_med m_peak < <(python3 - "${times[*]}" "${cpus[*]}" "${peaks[*]}" <<'EOF'
import statistics, sys
t = [float(x) for x in sys.argv[1].split()]
c = [float(x) for x in sys.argv[2].split()]
p = [int(x) for x in sys.argv[3].split()]
print(min(t), round(statistics.median(t), 3), min(c), round(statistics.median(c), 3), round(max(p) / 1024, 1))
EOF
  )
}

machine_info() {
  local model cores
  model=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
  cores=$(nproc)
  echo "CPU: $model; $cores cores; kernel $(uname -r); load average $(cut -d' ' -f1-3 /proc/loadavg)"
}
