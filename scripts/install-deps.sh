#!/usr/bin/env bash
# Installs every package that building, running and testing vkCert needs on
# Debian 12. Packages already present are left alone, so a second run is quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang llvm-14 libclang-rt-14-dev
  clang-format
  libssl-dev openssl libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-tools-dev-tools
  qt6-tools-dev qt6-documentation-tools libqt6help6 libqt6sql6-sqlite
  qt6-translations-l10n
  libgl-dev libxkbcommon-dev libfontconfig-dev
  fonts-dejavu-core
  dbus dbus-x11 libdbus-1-dev
  xvfb xdotool imagemagick x11-utils
  ca-certificates gnutls-bin libnss3-tools softhsm2 opensc default-jre-headless
  librsvg2-bin desktop-file-utils appstream man-db groff dpkg-dev fakeroot
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: run as root to install: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
