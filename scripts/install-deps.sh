#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quibo need.
# Safe to run again: packages already present are not fetched a second time.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  libsqlite3-dev pxlib-dev clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth dbus dbus-x11 fonts-dejavu-core libglib2.0-bin python3-dbus
  xdotool  # answers the boxes an automation instance shows on its screen, in its bus tests
  xdg-utils  # xdg-open, through which the help pages open in the desktop's browser
  python3 python3-numpy python3-scipy python3-dbfread python3-dbf
  locales
  libwmf-bin fonts-urw-base35 emf2svg librsvg2-bin poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
