#!/usr/bin/env bash
# Installs the Debian packages Quillmarch needs to build, run and test.
# Packages already present are left alone; apt-get runs only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6webenginecore6-bin
  libqt6opengl6-dev libgl-dev
  libcurl4-openssl-dev libpsl-dev libsqlite3-dev sqlite3 libre2-dev libgumbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev python3-pyftpdlib aria2
  libqt6svg6 qt6-image-formats-plugins shared-mime-info
  xvfb xauth fonts-dejavu-core
  libffi-dev base-passwd
  desktop-file-utils appstream man-db groff-base file dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
