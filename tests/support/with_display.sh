#!/usr/bin/env bash
# with_display.sh COMMAND...: runs COMMAND on an Xvfb display of its own. Xvfb picks a free display
# number itself (-displayfd), so runs started side by side never race for the same display.
set -euo pipefail
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 300); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { cat "$dir/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$dir/display")"
"$@"
