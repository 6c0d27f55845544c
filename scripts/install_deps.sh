#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the main job need. Idempotent.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev zlib1g-dev libminizip-dev libssl-dev libsystemd-dev
  libpng-dev libfreetype-dev libsdl2-dev libepoxy-dev
  fonts-dejavu-core fonts-roboto-unhinted fonts-droid-fallback
  libcpp-httplib-dev nginx xvfb xauth xdotool imagemagick libgl1-mesa-dri
  aria2 unzip python3 ccache
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
