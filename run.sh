#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program
# on the user's Wine prefix ($WINEPREFIX, else ~/.wine), or on the sample
# machine in examples/ when there is none.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/vostrel-cli --help
