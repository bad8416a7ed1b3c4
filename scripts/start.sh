#!/usr/bin/env bash
# Installs what is missing, builds Quillo and starts it in the current folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DQUILLO_TESTS=OFF -DQUILLO_BENCH=OFF
if [ -x "$root/build/release/app/quillo" ]; then
  exec "$root/build/release/app/quillo"
fi
echo "Quillo's library is built; the window comes with the program."
