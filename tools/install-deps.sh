#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache pkg-config git python3 openssl
  clang-14 clang-format-14 libclang-rt-14-dev llvm-14
  libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri libsdl2-dev libopenal-dev
  libsndfile1-dev libvorbis-dev libogg-dev libmpg123-dev libstb-dev
  libminizip-dev zlib1g-dev libsqlite3-dev libssl-dev libcurl4-openssl-dev
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core fonts-liberation2 fonts-comic-neue libcairo2-dev
  libpng-dev libjpeg-dev libplist-dev libplist++-dev libexpat1-dev libicu-dev
  libpugixml-dev libtinyxml2-dev nlohmann-json3-dev libsimdjson-dev rapidjson-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev libxtst-dev xvfb xauth mesa-utils tzdata media-types
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
