#!/usr/bin/env bash
# Installs what is missing, builds the dev preset (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
