#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Safe to run again: only missing packages are fetched.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-wayland
  libgl-dev libgl1-mesa-dri libglu1-mesa-dev
  libsoil-dev libpng-dev
  libsdl2-mixer-dev
  libgtest-dev libbenchmark-dev
  libegl-dev libegl-mesa0
  xvfb xauth x11-utils xdotool fonts-dejavu-core openbox
  libx11-dev man-db desktop-file-utils
  weston lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
