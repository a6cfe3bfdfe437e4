#!/bin/sh
# A private PostgreSQL cluster for the tests: initdb and pg_ctl in a folder
# of the build, a unix socket there and no TCP port. The server refuses to
# run as root, so under root it runs as the unprivileged "postgres" user.
#   pgcluster.sh start DIR   creates the cluster afresh and starts it
#   pgcluster.sh serve DIR   starts it durable (fsync on, as a café's server
#                            runs), keeping the databases of earlier runs:
#                            the benchmarks' cluster
#   pgcluster.sh stop DIR [MODE]  stops it (MODE fast, the default, or immediate)
#   pgcluster.sh restart DIR      starts it again as it was (as start runs
#                                 it), stopping it first when it runs
set -eu

command="$1"
dir="$2"
bin=""
for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/pg_ctl" ] && bin="$candidate"
done
if [ -z "$bin" ]; then
    echo "pgcluster: no PostgreSQL server found (scripts/install-deps.sh installs it)" >&2
    exit 1
fi

as_server() {
    if [ "$(id -u)" = 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

initialise() {
    mkdir -p "$dir"
    [ "$(id -u)" = 0 ] && chown postgres "$dir"
    rm -rf "$dir/data"
    # A locale whose own order is not byte order, when the machine has one:
    # the schema must give byte order and ASCII-only case folding anyway.
    locale=C.UTF-8
    if locale -a 2>/dev/null | grep -qi '^es_ES.utf'; then
        locale=es_ES.UTF-8
    elif locale -a 2>/dev/null | grep -qi '^en_US.utf'; then
        locale=en_US.UTF-8
    fi
    as_server "$bin/initdb" -D "$dir/data" -U quintor -E UTF8 --locale="$locale" \
        --auth-local=trust --auth-host=reject >"$dir/initdb.log" 2>&1 ||
        { cat "$dir/initdb.log" >&2; exit 1; }
    # Password log-ins are tested with roles other than the superuser.
    cat >"$dir/data/pg_hba.conf" <<HBA
local all quintor trust
local all all scram-sha-256
HBA
}

stop_left_over() {
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    fi
}

run_server() {
    as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -c listen_addresses='' -c max_connections=200 $1" \
        start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
}

case "$command" in
start)
    stop_left_over
    initialise
    run_server "-c fsync=off -c full_page_writes=off"
    ;;
serve)
    stop_left_over
    [ -f "$dir/data/PG_VERSION" ] || initialise
    run_server ""
    ;;
stop)
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bin/pg_ctl" -D "$dir/data" -m "${3:-fast}" -w stop >/dev/null
    fi
    ;;
restart)
    if [ ! -d "$dir/data" ]; then
        echo "pgcluster: no cluster in $dir" >&2
        exit 1
    fi
    if [ -f "$dir/data/postmaster.pid" ]; then
        as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    fi
    run_server "-c fsync=off -c full_page_writes=off"
    ;;
*)
    echo "usage: pgcluster.sh start|serve|stop|restart DIR" >&2
    exit 2
    ;;
esac
