#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing morvane need,
# skipping those already installed. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libxext-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev libpng-dev zlib1g-dev
  fonts-liberation fonts-liberation2 fonts-comic-neue fontconfig
  xvfb xdotool x11-utils x11-apps imagemagick python3 gettext
)
# Extra groups, asked for by name: web (browser build and test), fuzz, hygiene, windows
# (the cross compilers, 64-bit Wine to run the 64-bit build, pefile to read the modules),
# pictures (the faces of the other languages' words, for repainting their pictures; the
# build never needs them, the pictures are committed).
for group in "$@"; do
  case "$group" in
    web)
      packages+=(emscripten nodejs chromium)
      # A nodejs that is not Debian's brings its own npm and conflicts with Debian's.
      command -v npm >/dev/null || packages+=(npm)
      ;;
    pictures) packages+=(fonts-noto-cjk fonts-noto-core) ;;
    fuzz) packages+=(clang libclang-rt-14-dev llvm) ;;
    hygiene) packages+=(valgrind binutils) ;;
    # wine64 alone: the 32-bit loader cannot run where the kernel has no IA-32 support.
    windows) packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 python3-pefile) ;;
    *) echo "setup.sh: unknown group '$group' (known: web fuzz hygiene windows pictures)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
echo "setup.sh: installing ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
