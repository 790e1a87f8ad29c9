#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tavrel needs that are missing, then configures
# and builds it in ./build (for tests also in ./build-sanitize). Safe to run
# again: it installs only what is missing and rebuilds only what changed.
#   scripts/setup.sh [run|test]
set -euo pipefail

cd "$(dirname "$0")/.."
purpose=${1:-run}

packages=(cmake g++ make pkg-config qt6-base-dev libdevil-dev libpng-dev libgtest-dev libbenchmark-dev)
if [ "$purpose" = test ]; then
  packages+=(python3-pil imagemagick xvfb xauth xdotool clang libclang-rt-14-dev)
  # The installed tree's checks and the Debian package.
  packages+=(desktop-file-utils shared-mime-info man-db groff-base dpkg-dev x11-utils)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
# Configured every time: a configure that failed before (a package missing,
# an interrupted run) leaves a cache but no build files, and configuring an
# unchanged tree again rebuilds nothing.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "$purpose" = test ]; then
  cmake --build build -j "$jobs"
  # The same program and tests once more, checked by AddressSanitizer and
  # UndefinedBehaviorSanitizer; the benchmarks are left out there. -O1 and
  # line tables only, as the sanitizers advise: reports keep their file and
  # line, and the build takes less time.
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_SANITIZE=ON \
    -DTAVREL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
  cmake --build build-sanitize -j "$jobs"
else
  cmake --build build -j "$jobs" --target tavrel
fi
