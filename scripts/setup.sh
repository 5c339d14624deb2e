#!/usr/bin/env bash
# Installs everything the engine needs on a fresh Debian 12 machine and builds
# it into build/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  # toolchain and tests
  build-essential cmake ninja-build pkg-config clang
  libgtest-dev libgmock-dev libbenchmark-dev
  # comma-decimal locale for the locale-independence tests
  locales
  # OpenGL, loaded at run time: the registry the entry-point table is generated
  # from, the GL headers (types and constants only), and Mesa through EGL for
  # contexts without a display
  khronos-api libgl-dev libgl1 libegl1 libegl-mesa0 libgl1-mesa-dri
  # the host window and input (SDL2), screenshots (libpng), and an X server
  # without a display for the window and display-mode tests
  libsdl2-dev libpng-dev xvfb xauth
  # rigid bodies: Bullet under our libnewton.so, and its run-time libraries
  libbullet-dev libbullet3.24
  # our own sound library libbass.so: samples and streams through libsndfile
  # (its Vorbis, FLAC and MP3 support comes with it), tracker modules through
  # libopenmpt
  libsndfile1-dev libopenmpt-dev
  # the 3DS test files are written by a Python script; lib3ds is what the
  # 3DS reader's benchmark compares against (bench only)
  python3 lib3ds-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
