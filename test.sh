#!/usr/bin/env bash
# Installs what is missing; builds the Windows programs and runs their tests
# under Wine; builds the dev preset (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test, the GUI's headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap

# The sources are formatted as .clang-format says.
./scripts/check-format

# The tests never see the user's own settings, data or Wine prefix.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vostrel-tests.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export WINEPREFIX="$scratch/no-such-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export QT_QPA_PLATFORM=offscreen

# The presets compile through ccache when it is there. Its cache lives in
# the user's own cache folder (no /etc/ccache.conf needed), and paths below
# this checkout are hashed relative to it, so a re-run in another checkout
# of the same tree finds the objects too.
export CCACHE_DIR="${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ccache}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

# First the Windows build, so that the differential test of the dev suite
# finds a fresh vostrel-cli.exe to hold the Linux backend against.
./scripts/test-mingw

# Each fuzz target, a short fixed number of runs over its seeds (Clang).
./scripts/fuzz-smoke

cmake --preset dev >/dev/null
cmake --build --preset dev
# clang-tidy (with -Wshadow) over the sources the newest commit changed;
# scripts/tidy --all looks at every one.
./scripts/tidy
ctest --preset dev
