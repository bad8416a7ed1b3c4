#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice:
# a plain build and one under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
[ -x scripts/install-test-deps.sh ] && bash scripts/install-test-deps.sh

status=0
run_suite() {
  local name=$1; shift
  echo "== $name build"
  bash scripts/build.sh "build/$name" "$@"
  echo "== $name tests"
  (cd "build/$name" && ctest --output-on-failure -j2 --timeout 300) || status=1
}
run_suite plain -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLO_SANITIZE=ON
[ -x scripts/fuzz-ci.sh ] && { bash scripts/fuzz-ci.sh || status=1; }
exit $status
