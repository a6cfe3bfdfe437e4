#!/usr/bin/env bash
# Builds the console and starts it on the demo database (created when missing),
# beside the station simulator playing the demo's eight stations.
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

# Stations 1-8 of the demo listen on 127.0.1.1-127.0.1.8, port 2222.
./build/dev/bin/velkar-sim --base 127.0.1.1 --count 8 &
sim=$!

# The demo's receipt printer and its CUPS queue "Quintor-Demo" (README: "Impresora de tickets de la demo").
if cups_server=$(./scripts/demo-printer.sh start ./build/dev/bin/receipt-printer) && [ -n "$cups_server" ]; then
  export CUPS_SERVER="$cups_server"
fi
trap 'kill "$sim" 2>/dev/null || true; ./scripts/demo-printer.sh stop' EXIT

./build/dev/bin/quintor --home "$home" "$@"
