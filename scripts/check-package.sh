#!/usr/bin/env bash
# Builds the Debian packages from a built tree (default build/ci) and checks
# them: names, dependencies, contents, the man page against --help, and a
# start of the unpacked console.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1) || {
  cat "$out/cpack.log" >&2
  exit 1
}

fail() {
  echo "check-package: $*" >&2
  exit 1
}

version=$(sed -n 's/^project(Quintor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
console="$out/cpack/quintor_${version}_${arch}.deb"
training="$out/cpack/quintor-training_${version}_${arch}.deb"
[ -f "$console" ] || fail "missing $(basename "$console")"
[ -f "$training" ] || fail "missing $(basename "$training")"

# Dependencies: dpkg-shlibdeps found the linked libraries; the plugins and Qt's
# translations are named.
depends=$(dpkg-deb -f "$console" Depends)
for dep in libqt6core6 libqt6widgets6 libqt6sql6 libqt6httpserver6 libqt6sql6-sqlite qt6-qpa-plugins qt6-translations-l10n libcups2 \
  libgcrypt20 libc6; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "quintor does not depend on $dep: $depends"
done
tdepends=$(dpkg-deb -f "$training" Depends)
for dep in libqt6core6 libqt6network6 libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n; do
  grep -Eq "(^|, )$dep( |,|$)" <<<"$tdepends" || fail "quintor-training does not depend on $dep: $tdepends"
done

contents() { dpkg --contents "$1" | awk '{print $6}'; }
expect() {
  local deb=$1
  shift
  local list
  list=$(contents "$deb")
  for f in "$@"; do
    grep -qx "$f" <<<"$list" || fail "$(basename "$deb") lacks $f"
  done
}
expect "$console" ./usr/bin/quintor ./usr/share/applications/quintor.desktop \
  ./usr/share/icons/hicolor/scalable/apps/quintor.svg ./usr/share/man/man1/quintor.1.gz \
  ./usr/share/doc/quintor/copyright ./usr/share/doc/quintor/README \
  ./usr/bin/quintor-web ./usr/share/man/man1/quintor-web.1.gz ./usr/lib/systemd/system/quintor-web@.service
expect "$training" ./usr/bin/velkar-sim ./usr/bin/receipt-printer ./usr/share/doc/quintor-training/copyright \
  ./usr/share/man/man1/velkar-sim.1.gz ./usr/share/man/man1/receipt-printer.1.gz
# The whole manual, every page and picture of the source tree.
manual=()
while IFS= read -r f; do
  manual+=("./usr/share/quintor/manual/$f")
done < <(cd doc/manual && find . -type f \( -name '*.html' -o -name '*.png' -o -name '*.css' \) | sed 's|^\./||' | sort)
[ "${#manual[@]}" -gt 0 ] || fail "doc/manual is empty"
expect "$console" ./usr/share/quintor/manual/es/index.html ./usr/share/quintor/manual/en/index.html "${manual[@]}"
if contents "$console" | grep -Eq 'velkar-sim|receipt-printer'; then
  fail "the training tools ended up in quintor"
fi

# The unpacked console runs on the machine's libraries.
root="$out/root"
dpkg -x "$console" "$root"
dpkg -x "$training" "$root"
[ "$("$root/usr/bin/quintor" --version)" = "Quintor $version" ] || fail "quintor --version"
for doc in quintor quintor-training; do
  grep -qx 'License: GPL-3+' "$root/usr/share/doc/$doc/copyright" || fail "$doc's copyright does not say GPL-3+"
done
"$root/usr/bin/receipt-printer" --help >/dev/null || fail "receipt-printer --help"

# Every option of --help is in the man page.
man_covers_help() {
  local program=$1
  local man
  man=$(gzip -dc "$root/usr/share/man/man1/$program.1.gz" | sed 's/\\-/-/g')
  for option in $(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help | grep -Eo -- '--[a-z-]+' | sort -u); do
    grep -q -- "$option" <<<"$man" || fail "the man page of $program lacks $option"
  done
}
man_covers_help quintor
man_covers_help quintor-web
[ "$("$root/usr/bin/quintor-web" --version)" = "quintor-web $version" ] || fail "quintor-web --version"
man_covers_help velkar-sim
man_covers_help receipt-printer
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/"*.desktop
fi
echo "check-package: quintor and quintor-training $version are fine"
