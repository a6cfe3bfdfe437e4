#!/usr/bin/env bash
# Builds with the dev preset and runs every benchmark: each program
# build/dev/bin/bench-* (the station link also in its variants), then the
# libFuzzer targets (station replies, log-in lines, account import, old
# values) for a minute each (clang build in build/fuzz). bench-engines runs on a PostgreSQL cluster of its own under
# /tmp/quintor-pg-bench. Benchmarks print their figures; none of this runs in CI.
#
#   BENCH_SECONDS  measured seconds per run (default 20)
#   RANDOM_KILLS   kills of the three-console run (default 100)
#   FUZZ_SECONDS   fuzzing time per target (default 60; 0 skips the fuzzers)
set -euo pipefail
cd "$(dirname "$0")"

seconds="${BENCH_SECONDS:-20}"
fuzz_seconds="${FUZZ_SECONDS:-60}"

./scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j2

bin=build/dev/bin
for bench in "$bin"/bench-*; do
  [ -x "$bench" ] || continue
  name="$(basename "$bench")"
  # After the others: it reads the database bench-reports builds.
  [ "$name" = bench-engines ] && continue
  # On the cluster, with the engines below.
  [ "$name" = bench-consoles ] && continue
  echo "== $name"
  if [ "$name" = bench-station-link ]; then
    sim=""
    [ -x "$bin/velkar-sim" ] && sim="$bin/velkar-sim"
    if [ -n "$sim" ]; then
      "$bench" --seconds "$seconds" --stations "$sim"
      QT_NO_GLIB=1 "$bench" --seconds "$seconds" --stations "$sim"
    else
      echo "(tools/velkar-sim not built: the benchmark's own responder plays the stations)"
    fi
    "$bench" --seconds "$seconds"
    QT_NO_GLIB=1 "$bench" --seconds "$seconds"
    # For comparison: QTcpSocket, and one QTimer per link.
    "$bench" --seconds "$seconds" --transport qt
    QT_NO_GLIB=1 "$bench" --seconds "$seconds" --transport qt
    "$bench" --seconds "$seconds" --timer-per-link
    # The comparison: one blocking thread per station, in the same series.
    "$bench" --seconds "$seconds" --transport threads
  else
    "$bench"
  fi
done

# The engines side by side, on a durable PostgreSQL cluster of the
# benchmarks' own that keeps its copy of the reports database between runs.
echo "== bench-engines"
pg_dir=/tmp/quintor-pg-bench
sh tests/support/pgcluster.sh serve "$pg_dir"
trap 'sh tests/support/pgcluster.sh stop "$pg_dir"' EXIT
"$bin/bench-engines" --pg "$pg_dir"

# One console with 9,999 stations against three with 3,333 each, on the
# same cluster; then the random kills of three consoles, a hundred of them.
echo "== bench-consoles"
"$bin/bench-consoles" --pg "$pg_dir" --seconds "$seconds"
"$bin/bench-consoles" --pg "$pg_dir" --seconds "$seconds" --in-use 0
echo "== random kills of three consoles"
QUINTOR_RANDOM_KILLS="${RANDOM_KILLS:-100}" QUINTOR_BIN="$bin/quintor" QUINTOR_TEST_ENGINE=postgresql \
  QUINTOR_TEST_PGHOST="$pg_dir" QT_QPA_PLATFORM=offscreen "$bin/tst_multiconsole" randomKills

if [ "$fuzz_seconds" -gt 0 ]; then
  need=()
  command -v clang++ >/dev/null 2>&1 || need+=(clang)
  dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'install ok installed' || need+=(libclang-rt-14-dev)
  if [ ${#need[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
  fi
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -Wno-unknown-warning-option" \
    -DQUINTOR_FUZZ=ON -DQUINTOR_BUILD_TESTS=OFF >/dev/null
  targets=(replies login import oldvalues)
  cmake --build build/fuzz -j2 --target "${targets[@]/#/fuzz-}"
  # Each target on its own corpus (kept in build/fuzz between runs) and the
  # seeds of the repository; leaks and sanitizer reports end the run.
  for target in "${targets[@]}"; do
    echo "== fuzz-$target"
    mkdir -p "build/fuzz/corpus/$target"
    QT_QPA_PLATFORM=offscreen "build/fuzz/bin/fuzz-$target" -max_total_time="$fuzz_seconds" \
      -print_final_stats=1 "build/fuzz/corpus/$target" "bench/fuzz/seeds/$target"
  done
fi
