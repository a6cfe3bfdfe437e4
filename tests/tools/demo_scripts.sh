#!/usr/bin/env bash
# The demo scripts: their private folder, and a stop that ends only what the
# printer script started (not a look-alike, nor a process that took a
# recorded id).
#
#   demo_scripts.sh SOURCE_DIR
set -euo pipefail
src="$1"
printer="$src/scripts/demo-printer.sh"

bash -n "$src/run.sh"
bash -n "$printer"

work="$(mktemp -d)"
others=()
cleanup() {
  QUINTOR_HOME="$work/home" "$printer" stop || true
  for pid in "${others[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
alive() { kill -0 "$1" 2>/dev/null; }
gone_soon() {
  for _ in $(seq 50); do
    alive "$1" || return 0
    sleep 0.1
  done
  return 1
}

mode=700
[ "$(id -u)" != 0 ] || mode=711
export QUINTOR_HOME="$work/home"
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"

# Without a runtime folder: a fresh private folder, remembered and reused.
unset XDG_RUNTIME_DIR
dir="$("$printer" folder)"
[[ "$dir" == "$TMPDIR"/quintor-demo.* ]] || fail "folder $dir"
[ "$(stat -c %a "$dir")" = "$mode" ] || fail "mode of $dir"
[ "$(cat "$QUINTOR_HOME/.run/folder")" = "$dir" ] || fail "not remembered"
[ "$("$printer" folder)" = "$dir" ] || fail "not reused"

# A remembered folder others can write to is never used again.
chmod 777 "$dir"
again="$("$printer" folder)"
[ "$again" != "$dir" ] || fail "open folder reused"
chmod "$mode" "$dir"

# With the session's runtime folder (root's backends cannot pass one).
if [ "$mode" = 700 ]; then
  rm -f "$QUINTOR_HOME/.run/folder"
  mkdir -m 0700 "$work/xdg"
  dir="$(XDG_RUNTIME_DIR="$work/xdg" "$printer" folder)"
  [ "$dir" = "$work/xdg/quintor-demo" ] || fail "runtime folder $dir"
  [ "$(stat -c %a "$dir")" = 700 ] || fail "mode of $dir"
fi

# A printer that runs until stopped, as a script.
fake="$work/receipt-printer"
printf '#!/usr/bin/env bash\nwhile :; do sleep 0.2; done\n' >"$fake"
chmod +x "$fake"

server="$("$printer" start "$fake")"
dir="$(cat "$QUINTOR_HOME/.run/folder")"
mapfile -t started < <(cut -f1 "$dir/pids")
[ "${#started[@]}" -ge 1 ] || fail "nothing recorded"
for pid in "${started[@]}"; do alive "$pid" || fail "$pid not running"; done
if [ -x /usr/sbin/cupsd ] && [ -x /usr/lib/cups/backend/socket ]; then
  [ -S "$server" ] || fail "no scheduler socket: $server"
  [[ "$server" == "$dir"/* ]] || fail "socket outside the folder: $server"
fi

# The same printer started by someone else, and a process that took an id
# the script recorded.
"$fake" --address 127.0.0.1 --port 9100 &
others+=($!)
sleep 300 &
others+=($!)
printf '%s\t%s --address 127.0.0.1 --port 9100 --log %s/paper.log\n' "$!" "$fake" "$dir" >>"$dir/pids"

"$printer" stop
for pid in "${started[@]}"; do gone_soon "$pid" || fail "$pid still running"; done
for pid in "${others[@]}"; do alive "$pid" || fail "foreign $pid stopped"; done
echo "ok"
