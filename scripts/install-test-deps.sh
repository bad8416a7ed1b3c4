#!/usr/bin/env bash
# Installs what the tests need beyond the Debian packages of scripts/deps/: the npm packages
# of the test folders (npm's smtp-server for the login tests), from their lock files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# Node.js and npm. Debian ships npm as a package of its own; Node.js builds from elsewhere
# carry npm inside their nodejs package and conflict with Debian's npm, so npm is installed
# only when the command is missing.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "Installing: nodejs npm"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends nodejs npm
fi

for folder in "$root"/tests/*/node; do
  [ -f "$folder/package.json" ] || continue
  if [ ! -d "$folder/node_modules" ]; then
    echo "npm packages for ${folder#"$root"/}"
    (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error)
  fi
done
