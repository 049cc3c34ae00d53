#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program
# on the user's Wine prefix ($WINEPREFIX, else ~/.wine), or on the sample
# machine in examples/ when there is none.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
cmake --preset release >/dev/null
cmake --build --preset release
prefix="${WINEPREFIX:-$HOME/.wine}"
if [ ! -f "$prefix/system.reg" ]; then
  echo "run.sh: no Wine prefix at $prefix; using the sample machine in examples/" >&2
  prefix=build/sample-prefix
  [ -f "$prefix/system.reg" ] || examples/make-sample-prefix "$prefix"
fi
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display; scanning with the command-line program instead" >&2
  exec build/release/vostrel-cli scan --prefix "$prefix"
fi
exec build/release/vostrel --prefix "$prefix"
