#!/usr/bin/env bash
# The demo's receipt printer: the receipt-printer tool on 127.0.0.1:9100 and
# a private CUPS scheduler (its own configuration, spool and unix socket in a
# temporary folder) with the raw queue "Quintor-Demo" pointing at the tool.
# No system queue or scheduler is touched.
#
#   demo-printer.sh start PRINTER_BIN   starts both; prints the CUPS_SERVER to
#                                       use, or says on stderr why it cannot
#   demo-printer.sh stop                stops what start started
set -uo pipefail

dir="${TMPDIR:-/tmp}/quintor-demo-cups-$(id -u)"
queue="Quintor-Demo"
address="127.0.0.1"
port=9100

stop() {
  if [ -f "$dir/pids" ]; then
    while read -r pid; do kill "$pid" 2>/dev/null || true; done <"$dir/pids"
    rm -f "$dir/pids"
  fi
}

start() {
  local bin="$1"
  stop
  mkdir -p "$dir"/{spool,cache,tmp,state}
  # Backends run as an unprivileged user when the scheduler runs as root.
  chmod 755 "$dir" && chmod 1777 "$dir"/{spool,cache,tmp,state}
  : >"$dir/pids"

  # The printer's paper goes to the terminal (stderr, so that the caller's
  # $(...) does not wait for it).
  "$bin" --address "$address" --port "$port" --log "$dir/paper.log" 1>&2 &
  echo $! >>"$dir/pids"

  if [ ! -x /usr/sbin/cupsd ] || [ ! -x /usr/lib/cups/backend/socket ]; then
    echo "demo-printer: sin el programador CUPS (paquete cups) no hay cola de impresión;" \
      "la consola funciona, pero los tickets no se imprimirán." >&2
    return 0
  fi
  cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
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
  cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/tmp
AccessLog $dir/access_log
ErrorLog $dir/error_log
PageLog $dir/page_log
CONF
  cat >"$dir/printers.conf" <<CONF
<Printer $queue>
Info Impresora de tickets de la demo
DeviceURI socket://$address:$port
State Idle
Accepting Yes
</Printer>
CONF
  rm -f "$dir/cups.sock"
  /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >/dev/null 2>&1 &
  echo $! >>"$dir/pids"
  for _ in $(seq 50); do
    if [ -S "$dir/cups.sock" ]; then
      echo "$dir/cups.sock"
      return 0
    fi
    sleep 0.1
  done
  echo "demo-printer: el programador CUPS no arrancó (véase $dir/error_log);" \
    "la consola funciona, pero los tickets no se imprimirán." >&2
  return 0
}

case "${1:-}" in
  start) start "${2:?receipt-printer program}" ;;
  stop) stop ;;
  *) echo "uso: $0 start PRINTER_BIN | stop" >&2; exit 2 ;;
esac
