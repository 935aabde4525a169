#!/usr/bin/env bash
# Builds the program into the folder given (default: build) and packs it as a .deb
# there, with dependencies on the Debian runtime packages its binaries link to.
# Install it with: apt-get install ./build/quillmarch_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
scripts/install-deps.sh
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" --target quillmarch quillmarch-cli quillmarch-webengine quillmarch-transfers
cd "$dir"
cpack -G DEB
ls -1 "$PWD"/quillmarch_*.deb
