#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program with the simulated unit
# so that every page works without hardware. Extra arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build
if [ -x "$root/build/bin/valdrometrica" ]; then
  exec "$root/build/bin/valdrometrica" --simulate "$@"
fi
tmp=$(mktemp -d)
"$root/build/bin/valdrometrica-cli" new -o "$tmp/default.dat"
exec "$root/build/bin/valdrometrica-cli" show "$tmp/default.dat"
