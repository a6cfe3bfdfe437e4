#!/usr/bin/env bash
# Remakes the manual's screenshots (doc/manual/img/*.png) from the demo.
#
# A scratch copy of the demo database, the station simulator playing its
# eight stations with a few customers logged in, and the console started
# with its hidden option --screenshots, which logs in as ADMIN, opens each
# main window in turn, saves it with QWidget::grab() and ends. Nothing is
# accepted or saved. The pictures are painted by the widgets themselves, so
# no X server is needed: Qt's offscreen platform is used unless
# QT_QPA_PLATFORM says otherwise (for instance xcb under Xvfb).
#
#   ./scripts/screenshots.sh [BUILD]      BUILD defaults to build/ci
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
bin="$build/bin"
out=doc/manual/img
for program in quintor velkar-sim; do
  [ -x "$bin/$program" ] || {
    echo "screenshots: $bin/$program is missing; build first (cmake --build --preset ci)" >&2
    exit 1
  }
done

scratch=$(mktemp -d)
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# The demo is a Spanish café: Spanish dates and money, the same on every machine.
export LC_ALL=es_ES.UTF-8 TZ=Europe/Madrid
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# The same font everywhere, so the pictures do not change with the machine.
export QT_FONT_DPI=96

mkdir -p "$scratch/home/database"
"$bin/quintor" --new-database "$scratch/home/database/ciber.mdb" --demo >/dev/null

# Station 2: a money account; 3: a time account; 4: a time code with a
# message for the operator; 8: switched off (the console shows it unreachable).
cat >"$scratch/sim.txt" <<'SCRIPT'
0.5 station 2 login 10001 1111
station 3 login 10004 4444
station 4 login 90001 7777
station 8 stop
+1 station 4 msg ¿Me trae un café, por favor?
SCRIPT
"$bin/velkar-sim" --headless --base 127.0.1.1 --count 8 --script "$scratch/sim.txt" >/dev/null &
sim=$!

# The console's pictures only: those of the owner's view in a browser (web-*)
# come from its browser test:
#   QUINTOR_SCREENSHOTS=$PWD/doc/manual/img ctest --test-dir BUILD -R tst_webbrowser
find "$out" -maxdepth 1 -name '*.png' ! -name 'web-*' -delete 2>/dev/null || true
mkdir -p "$out"
# The offscreen platform's notes about what it cannot do are noise here.
"$bin/quintor" --home "$scratch/home" --screenshots "$out" 2> >(grep -v '^This plugin does not support' >&2)

# Small files for the repository: 8-bit palettes where pngquant is there.
if command -v pngquant >/dev/null; then
  pngquant --force --skip-if-larger --strip --ext .png 256 "$out"/*.png || true
fi
