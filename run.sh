#!/usr/bin/env bash
# Builds the console and starts it on the demo database (created when missing),
# beside the station simulator playing the demo's eight stations.
#
#   QUINTOR_HOME    the demo's folder (default ./demo)
#   QUINTOR_PRESET  the build to use (default ci: the tree ./test.sh builds)
#   QUINTOR_WEB_LISTEN  where the owner's view in a browser listens (default 127.0.0.1:8080)
#
# Its passing files (the printer's, the simulator's ready mark) go in a folder
# of the user's own, named in $QUINTOR_HOME/.run/folder.
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

# The demo's private folder (README: "The demo's receipt printer").
export QUINTOR_HOME="$home"
run_dir="$(./scripts/demo-printer.sh folder)"

# Programs that run beside the console: started in the background, their ids
# and command lines in background, stopped when the console ends, each only
# while its id still runs it (an id can be reused).
background=()
start_background() {
  "$@" &
  background+=("$!" "$*")
}
runs() {
  local line
  line="$(tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null)" || return 1
  # A script shows its interpreter first.
  [ "$line" = "$2 " ] || [[ "$line" == *" $2 " ]]
}
stop_background() {
  local i
  for ((i = 0; i < ${#background[@]}; i += 2)); do
    if runs "${background[i]}" "${background[i + 1]}"; then kill "${background[i]}" 2>/dev/null || true; fi
  done
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
ready="$run_dir/velkar-sim-ready"
rm -f "$ready"
start_background "$bin/velkar-sim" --base 127.0.1.1 --count 8 --place right --ready-file "$ready"
for _ in $(seq 100); do
  [ -e "$ready" ] && break
  sleep 0.1
done
rm -f "$ready"

# The owner's view in a browser, read-only beside the console (README: "The
# owner's view in a browser"). Another program on the port only costs the view.
web_listen="${QUINTOR_WEB_LISTEN:-127.0.0.1:8080}"
start_background "$bin/quintor-web" --home "$home" --listen "$web_listen"

"$bin/quintor" --home "$home" "$@"
