#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing morvane need,
# skipping those already installed. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libxext-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev libpng-dev zlib1g-dev
  # The captions' faces: the form's (Comic Neue) and the scripts' it lacks (Noto).
  fonts-liberation fonts-liberation2 fonts-comic-neue fonts-noto-core fonts-noto-cjk fontconfig
  xvfb xdotool x11-utils x11-apps imagemagick python3 gettext
  # The desktop window on the accessibility bus (ATK and its AT-SPI bridge), and its test:
  # a private session bus with the accessibility bus, read through the AT-SPI client library.
  libatk1.0-dev libatk-bridge2.0-dev dbus at-spi2-core python3-pyatspi
)
# Extra groups, asked for by name: web (browser build and test), fuzz, hygiene, package
# (the .deb's icons, stripping, manual page and checks), windows (the cross compilers,
# 64-bit Wine, pefile to read the modules, and 32-bit Wine where this machine runs
# 32-bit programs), pictures (the faces of the other languages' words, for repainting
# their pictures: the captions' faces above already bring them).
want_i386_wine=no
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
    package) packages+=(nodejs binutils file man-db lintian desktop-file-utils) ;;
    windows)
      packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 python3-pefile)
      want_i386_wine=yes
      ;;
    *) echo "setup.sh: unknown group '$group' (known: web fuzz hygiene package windows pictures)" >&2; exit 2 ;;
  esac
done

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
# Installs those of the named packages that are not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]} > 0)) || return 0
  echo "setup.sh: installing ${missing[*]}"
  # An index that cannot be fetched (the i386 one in the middle of a mirror's sync) is
  # no reason to stop: the packages are taken from the indexes that could be, and a
  # package that none of them has fails the install below.
  "${sudo[@]}" apt-get update -q || echo "setup.sh: some package indexes could not be fetched; going on with the rest" >&2
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
install_missing "${packages[@]}"

# 32-bit Wine, for the 32-bit build's tests: only where the kernel runs a 32-bit program,
# which the probe (built with the binutils just installed) tries before any i386 package.
if [ "$want_i386_wine" = yes ]; then
  if reason=$(bash "$(dirname "$0")/probe-i386.sh"); then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "setup.sh: adding the i386 architecture for 32-bit Wine"
      "${sudo[@]}" dpkg --add-architecture i386
    fi
    # The i386 package indexes come from other mirrors than the host's; where they cannot
    # be had (a mirror in the middle of a sync), the 32-bit tests skip rather than the
    # whole setup failing.
    if install_missing wine32:i386; then
      echo "setup.sh: this machine runs 32-bit programs: the 32-bit tests run under 32-bit Wine (wine32)"
    else
      echo "setup.sh: 32-bit Wine (wine32:i386) could not be installed from the package archive:" \
           "the 32-bit tests are reported skipped" >&2
    fi
  else
    echo "setup.sh: this machine cannot run 32-bit programs ($reason):" \
         "32-bit Wine is left out, and the 32-bit tests are reported skipped"
  fi
fi
