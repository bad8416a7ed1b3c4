#!/usr/bin/env bash
# Runs a GUI test script as a user's session would see it: inside a network namespace of its own
# (loopback only, so its SMTP server may listen on port 25 without touching the machine's), on an
# Xvfb display, with a D-Bus session for the accessibility bus. Exits 77 (skipped) when the
# namespace cannot be made (not root).
set -euo pipefail
ns="quillo-gui-$$-$RANDOM"
if ! ip netns add "$ns" 2>/dev/null; then
  echo "cannot create a network namespace (needs root); skipping" >&2
  exit 77
fi
trap 'ip netns delete "$ns" 2>/dev/null || true' EXIT
ip netns exec "$ns" ip link set lo up
with_display="$(cd "$(dirname "$0")/../../support" && pwd)/with_display.sh"
ip netns exec "$ns" "$with_display" dbus-run-session -- /usr/bin/python3 "$@"
