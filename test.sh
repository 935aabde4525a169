#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure --timeout 180 -j"$(nproc)" "$@"
