#!/usr/bin/env bash
# Sets up, builds and starts ことつぎ. Its data folder is the folder this script is
# started in: the definitions and the extension list are read and written there.
set -euo pipefail
here=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/app" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKOTOTSUGI_TESTS=OFF -DKOTOTSUGI_BENCH=OFF >/dev/null
cmake --build "$root/build/app"

cd "$here"
exec "$root/build/app/src/app/kototsugi"
