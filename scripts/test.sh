#!/usr/bin/env bash
# Sets up, builds and runs every test: the whole program with its window tests on
# Qt's offscreen platform, then the core again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/test
(cd build/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DKOTOTSUGI_GUI=OFF -DKOTOTSUGI_BENCH=OFF -DKOTOTSUGI_SANITIZE=ON
cmake --build build/asan
(cd build/asan && ctest --output-on-failure -j2)
