#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang 14 (AddressSanitizer + UndefinedBehavior-
# Sanitizer) in build/fuzz and runs each for a bounded time on a copy of its seed corpus and its
# regression inputs. Prints one line per target; fails if any target finds a crash, a leak, a
# broken invariant or an input slower than the per-input time-out.
#   FUZZ_SECONDS  time per target (default 30)
#   FUZZ_JOBS     targets run side by side (default: the number of cores, at most 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${FUZZ_SECONDS:-30}
jobs=${FUZZ_JOBS:-$(( $(nproc) < 2 ? 1 : 2 ))}
build=build/fuzz

if ! command -v clang++-14 >/dev/null; then
  echo "fuzz: clang++-14 is missing (scripts/deps/fuzz.txt; run scripts/install-deps.sh)" >&2
  exit 1
fi

echo "== fuzz build"
cmake -S "$root" -B "$build" -DQUILLO_FUZZ=ON -DQUILLO_GUI=ON -DQUILLO_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j"$(nproc)" --target quillo_fuzzers >"$build/fuzz-build.log" 2>&1 ||
  { tail -n 40 "$build/fuzz-build.log"; echo "fuzz: build failed" >&2; exit 1; }

targets=()
for exe in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$exe" ] && targets+=("$(basename "$exe")")
done
if ((${#targets[@]} == 0)); then
  echo "fuzz: no targets were built" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$root/$build/findings"
mkdir -p "$findings"

# Runs one target; leaves its one-line verdict in $work/<name>.line and its log in $build.
run_target() {
  local exe=$1 name=${1#fuzz_}
  local corpus="$work/$name" log="$build/fuzz-$name.log"
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"$name"/* tests/fuzz/regression/"$name"/* "$corpus"/ 2>/dev/null || true
  local seeds
  seeds=$(find "$corpus" -type f | wc -l)
  local status=0
  # The outer time-out only guards against a target that ignores its own limits.
  timeout $((seconds + 120)) "$build/tests/fuzz/$exe" "$corpus" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$findings/$name-" >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  local grown
  grown=$(find "$corpus" -type f | wc -l)
  if ((status == 0)); then
    printf 'fuzz %-16s ok      %9s execs in %ss, corpus %s -> %s\n' "$name" "${runs:-?}" "$seconds" "$seeds" "$grown" \
      >"$work/$name.line"
  else
    local artifact
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    printf 'fuzz %-16s FAILED  status %s, input %s, log %s\n' "$name" "$status" "${artifact:-none}" "$log" \
      >"$work/$name.line"
  fi
}

echo "== fuzzing ${#targets[@]} targets, ${seconds}s each, $jobs at a time"
running=0
for exe in "${targets[@]}"; do
  run_target "$exe" &
  running=$((running + 1))
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for exe in "${targets[@]}"; do
  name=${exe#fuzz_}
  cat "$work/$name.line"
  if grep -q FAILED "$work/$name.line"; then
    failed=1
    grep -m1 -A25 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|invariant broken' \
      "$build/fuzz-$name.log" | sed 's/^/    /' || true
  fi
done
if ((failed)); then
  echo "fuzz: findings above; each input is saved under $findings" >&2
  exit 1
fi
echo "fuzz: no findings"
