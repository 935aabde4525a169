#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Quillmarch with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
exec build/quillmarch "$@"
