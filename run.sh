#!/usr/bin/env bash
# Builds the console and starts it on the demo database (created when missing).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

home="${QUINTOR_HOME:-$PWD/demo}"
mkdir -p "$home/database"
if [ ! -f "$home/database/ciber.mdb" ]; then
  ./build/dev/bin/quintor --new-database "$home/database/ciber.mdb" --demo
fi

exec ./build/dev/bin/quintor --home "$home" "$@"
