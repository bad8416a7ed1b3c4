#!/usr/bin/env bash
# The benchmark report: installs what is missing (peers included), builds the benchmarks in
# release mode in build/bench, runs them and the peers beside them, and prints one table.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# A peer that cannot be installed leaves its rows saying so; the report still runs.
bash scripts/install-deps.sh || echo "bench: some packages could not be installed" >&2
cmake -S "$root" -B build/bench -DCMAKE_BUILD_TYPE=Release -DQUILLO_TESTS=OFF -DQUILLO_GUI=OFF \
  -DQUILLO_BENCH=ON >/dev/null
targets=()
for src in bench/*.cpp; do targets+=("bench_$(basename "$src" .cpp)"); done
cmake --build build/bench -j"$(nproc)" --target "${targets[@]}" >/dev/null
/usr/bin/python3 bench/report.py build/bench
