#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice:
# a plain build and one under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
[ -x scripts/install-test-deps.sh ] && bash scripts/install-test-deps.sh

status=0
passed=0
failed=0
run_suite() {
  local name=$1; shift
  echo "== $name build"
  bash scripts/build.sh "build/$name" "$@"
  echo "== $name tests"
  (cd "build/$name" && ctest --output-on-failure -j2 --timeout 300) | tee "build/$name/ctest.log" || status=1
  # Totals for the closing line: "N% tests passed, F tests failed out of T".
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "build/$name/ctest.log" | tail -n1 || true)
  if [ -z "$line" ]; then status=1; return; fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$line")
  t=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + t - f)); failed=$((failed + f))
}
run_suite plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON
if [ -x scripts/fuzz-ci.sh ]; then
  bash scripts/fuzz-ci.sh || { status=1; failed=$((failed + 1)); }
fi
echo "quillo: $passed passed, $failed failed"
exit $status
