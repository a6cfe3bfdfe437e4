#!/usr/bin/env bash
# Builds the console and starts it on the demo database (created when missing),
# beside the station simulator playing the demo's eight stations.
#
#   QUINTOR_HOME    the demo's folder (default ./demo)
#   QUINTOR_PRESET  the build to use (default ci: the tree ./test.sh builds)
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'TEXT'
run.sh: the console and the station simulator are windows: they need a graphical display.
Without one, start a virtual screen first, for example:
  Xvfb :99 -screen 0 1600x1000x24 &
  DISPLAY=:99 ./run.sh
TEXT
  exit 1
fi

./scripts/install-deps.sh

# One build tree with ./test.sh: whichever runs second builds only what changed.
preset="${QUINTOR_PRESET:-ci}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
bin="build/$preset/bin"

# The demo is a Spanish café: Spanish dates and money, unless a locale was chosen.
case "${LC_ALL:-${LANG:-}}" in
  "" | C | C.* | POSIX) export LC_ALL=es_ES.UTF-8 ;;
esac

home="${QUINTOR_HOME:-$PWD/demo}"
mkdir -p "$home/database"
if [ ! -f "$home/database/ciber.mdb" ]; then
  "$bin/quintor" --new-database "$home/database/ciber.mdb" --demo
fi

# Programs that run beside the console: started in the background, their ids
# in pids, all stopped when the console ends.
pids=()
stop_background() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}

# The demo's receipt printer and its CUPS queue "Quintor-Demo" (README: "The demo's receipt printer").
if cups_server=$(./scripts/demo-printer.sh start "$bin/receipt-printer") && [ -n "$cups_server" ]; then
  export CUPS_SERVER="$cups_server"
fi
stop_all() {
  stop_background
  ./scripts/demo-printer.sh stop
}
trap stop_all EXIT

# The simulator first, on the right third of the screen (stations 1-8 of the
# demo on 127.0.1.1-127.0.1.8, port 2222). Once its window is up, the
# console's log-in opens above it, and the console takes the rest.
ready="$(mktemp -u "${TMPDIR:-/tmp}/velkar-sim-ready.XXXXXX")"
"$bin/velkar-sim" --base 127.0.1.1 --count 8 --place right --ready-file "$ready" &
pids+=($!)
for _ in $(seq 100); do
  [ -e "$ready" ] && break
  sleep 0.1
done
rm -f "$ready"

"$bin/quintor" --home "$home" "$@"
