#!/usr/bin/env bash
# Installs everything the engine needs on a fresh Debian 12 machine and builds
# it into build/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

# Installed without recommended packages, so each one the build, the tests or
# the fuzz targets use is named here, even when another one would pull it in.
PACKAGES=(
  # toolchain: g++ with its AddressSanitizer and UBSan runtimes (the test
  # build), clang with its libFuzzer and sanitizer runtimes (the fuzz build)
  # and llvm-symbolizer, which turns the fuzz targets' reports into source
  # lines
  build-essential g++ libasan8 libubsan1 cmake ninja-build pkg-config
  clang libclang-rt-dev llvm
  # tests and benchmarks; valgrind counts the benchmarks' instructions
  # (bench/instructions_bench.py) and gives them callgrind's marks
  libgtest-dev libgmock-dev libbenchmark-dev valgrind
  # comma-decimal locale for the locale-independence tests
  locales
  # OpenGL, loaded at run time: the registry the entry-point table is generated
  # from, the GL headers (types and constants only), libGL with Mesa's GLX
  # (windows on an X server), Mesa through EGL (contexts without a display)
  # and Mesa's drivers (llvmpipe, software rendering for the tests)
  khronos-api libgl-dev libgl1 libglx-mesa0 libegl1 libegl-mesa0 libgl1-mesa-dri
  # the host window and input (SDL2), screenshots and PNG pictures (libpng), and an X server
  # without a display for the window, display-mode and input tests (xauth for
  # xvfb-run; libXtst makes the input tests' keys and pointer moves, and
  # xdotool the sample's end-to-end test's keyboard and mouse, both through
  # that server's XTest extension; the close tests send a window manager's
  # close through libX11)
  libsdl2-dev libpng-dev xvfb xauth libxtst6 xdotool libx11-dev
  # system fonts: FreeType rasterises the glyphs, fontconfig finds the faces;
  # the DejaVu faces are the ones the font tests pin
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # rigid bodies: Bullet under our libnewton.so, and its run-time libraries
  libbullet-dev libbullet3.24
  # our own sound library libbass.so: samples and streams through libsndfile
  # (its Vorbis, FLAC and MP3 support comes with it), tracker modules through
  # libopenmpt
  libsndfile1-dev libopenmpt-dev
  # the JavaScript engine: SpiderMonkey 102, linked directly
  libmozjs-102-dev
  # Python runs the layer check (a test) and wrote the 3DS test files;
  # lib3ds is what the 3DS reader's benchmark compares against (bench only)
  python3 lib3ds-dev
)

# Root installs directly; anyone else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "setup: installing packages needs root: run this script as root or install sudo" >&2
    exit 1
  fi
}

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  as_root apt-get update
  # Through env: sudo does not pass the caller's environment on.
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
