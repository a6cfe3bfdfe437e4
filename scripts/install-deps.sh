#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: packages already present are not touched.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6opengl6-dev libgl-dev
  libpq-dev postgresql-15
  libgcrypt20-dev libcurl4-openssl-dev libcups2-dev cups cups-daemon cups-client
  python3-aiosmtpd openssl
  xvfb xauth xdotool fonts-dejavu-core locales
  qt6-charts-dev poppler-utils qt6-translations-l10n
  qt6-httpserver-dev qt6-websockets-dev
  dpkg-dev desktop-file-utils
  chromium chromium-driver
)

# The demo runs as the Spanish café it is (./run.sh): its locale must exist.
demo_locale=es_ES.UTF-8
locale_missing() {
  ! locale -a 2>/dev/null | grep -qix 'es_ES\.utf-\?8'
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ] && ! locale_missing; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and no root rights to install them" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if locale_missing; then
  echo "install-deps: generating the $demo_locale locale"
  "${sudo_cmd[@]}" sed -i "s/^# *\($demo_locale UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$demo_locale UTF-8" /etc/locale.gen ||
    echo "$demo_locale UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
