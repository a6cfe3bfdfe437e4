#!/usr/bin/env bash
# The demo's receipt printer: the receipt-printer tool on 127.0.0.1:9100 and
# a private CUPS scheduler (its own configuration, spool and unix socket in
# the demo's private folder) with the raw queue "Quintor-Demo" pointing at
# the tool. No system queue or scheduler is touched.
#
#   demo-printer.sh start PRINTER_BIN   starts both; prints the CUPS_SERVER to
#                                       use, or says on stderr why it cannot
#   demo-printer.sh stop                stops what start started
#   demo-printer.sh folder              prints the demo's private folder
#
#   QUINTOR_HOME    the demo's folder (default ./demo), where the private
#                   folder is remembered (.run/folder) for stop
set -euo pipefail

home="${QUINTOR_HOME:-$(cd "$(dirname "$0")/.." && pwd)/demo}"
remembered="$home/.run/folder"
queue="Quintor-Demo"
address="127.0.0.1"
port=9100

# A folder only this user can enter, so no other user can take its name
# first or read the paper. Run as root, the scheduler's backends run as lp
# and must pass through it to the spool: then it can be entered, not listed.
mode=700
[ "$(id -u)" != 0 ] || mode=711
ours() {
  [ -d "$1" ] && [ ! -L "$1" ] && [ -O "$1" ] && [ "$(stat -c %a "$1")" = "$mode" ]
}

# The remembered folder when still ours, else a new one in the session's
# runtime folder or, without one (or as root), a fresh temporary folder.
folder() {
  local dir=""
  [ -f "$remembered" ] && dir="$(cat "$remembered")"
  if [ -z "$dir" ] || ! ours "$dir"; then
    if [ "$mode" = 700 ] && [ -n "${XDG_RUNTIME_DIR:-}" ] && ours "$XDG_RUNTIME_DIR"; then
      dir="$XDG_RUNTIME_DIR/quintor-demo"
      [ -d "$dir" ] || mkdir -m 0700 "$dir"
    else
      dir="$(mktemp -d "${TMPDIR:-/tmp}/quintor-demo.XXXXXX")"
      chmod "$mode" "$dir"
    fi
    ours "$dir" || { echo "demo-printer: $dir no es una carpeta privada" >&2; return 1; }
    mkdir -p "$home/.run"
    echo "$dir" >"$remembered"
  fi
  echo "$dir"
}

# Starts a program in the background and records its id with its command line.
launch() {
  "$@" &
  printf '%s\t%s\n' "$!" "$*" >>"$dir/pids"
}

# Whether process $1 still runs command line $2 (an id can be reused).
runs() {
  local line
  line="$(tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null)" || return 1
  # A script shows its interpreter first.
  [ "$line" = "$2 " ] || [[ "$line" == *" $2 " ]]
}

stop() {
  local dir pid cmd
  [ -f "$remembered" ] || return 0
  dir="$(cat "$remembered")"
  ours "$dir" && [ -f "$dir/pids" ] || return 0
  while IFS=$'\t' read -r pid cmd; do
    if runs "$pid" "$cmd"; then kill "$pid" 2>/dev/null || true; fi
  done <"$dir/pids"
  rm -f "$dir/pids"
}

start() {
  local bin="$1" dir cups
  stop
  dir="$(folder)"
  # The scheduler's own folder: run as root, it opens its server folder to
  # the lp group, and the private folder above stays closed.
  cups="$dir/cups"
  mkdir -p "$cups"/{spool,cache,tmp,state}
  # Backends run as an unprivileged user when the scheduler runs as root.
  chmod 1777 "$cups"/{spool,cache,tmp,state}
  : >"$dir/pids"

  # The printer's paper goes to the terminal (stderr, so that the caller's
  # $(...) does not wait for it).
  launch "$bin" --address "$address" --port "$port" --log "$dir/paper.log" 1>&2

  if [ ! -x /usr/sbin/cupsd ] || [ ! -x /usr/lib/cups/backend/socket ]; then
    echo "demo-printer: sin el programador CUPS (paquete cups) no hay cola de impresión;" \
      "la consola funciona, pero los tickets no se imprimirán." >&2
    return 0
  fi
  cat >"$cups/cupsd.conf" <<CONF
Listen $cups/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$cups/cups-files.conf" <<CONF
ServerRoot $cups
StateDir $cups/state
CacheDir $cups/cache
RequestRoot $cups/spool
TempDir $cups/tmp
AccessLog $cups/access_log
ErrorLog $cups/error_log
PageLog $cups/page_log
CONF
  cat >"$cups/printers.conf" <<CONF
<Printer $queue>
Info Impresora de tickets de la demo
DeviceURI socket://$address:$port
State Idle
Accepting Yes
</Printer>
CONF
  rm -f "$cups/cups.sock"
  launch /usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" >/dev/null 2>&1
  for _ in $(seq 50); do
    if [ -S "$cups/cups.sock" ]; then
      echo "$cups/cups.sock"
      return 0
    fi
    sleep 0.1
  done
  echo "demo-printer: el programador CUPS no arrancó (véase $cups/error_log);" \
    "la consola funciona, pero los tickets no se imprimirán." >&2
  return 0
}

case "${1:-}" in
  start) start "${2:?receipt-printer program}" ;;
  stop) stop ;;
  folder) folder ;;
  *) echo "uso: $0 start PRINTER_BIN | stop" >&2; exit 2 ;;
esac
