#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the game.
# Idempotent: packages already present are left alone, and apt is not
# touched at all when nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libsdl2-mixer-dev
  libfreetype-dev libharfbuzz-dev libfontconfig-dev
  libpng-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont fonts-ipaexfont fonts-noto-cjk fontconfig
  clang libclang-rt-14-dev
  libx11-dev libxi-dev
  xvfb xdotool x11-utils x11-apps imagemagick openbox
  # The Debian package and the checks of what it installs.
  dpkg-dev fakeroot lintian desktop-file-utils appstream
  # The Windows build: mingw-w64 cross-compilers (32-bit shipped, 64-bit
  # twin for the tests), and 64-bit Wine to run the twin. Never wine32 here:
  # it breaks the wine command. The shipped 32-bit executable runs under the
  # 32-bit Wine of an i386 root that debootstrap makes
  # (scripts/i386-wine-root.sh); xmllint reads its manifest.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 mingw-w64-tools
  wine wine64 zip unzip file debootstrap libxml2-utils
  # The browser build: Debian's emscripten (its system libraries come
  # prebuilt; no ports are fetched), the font cutter with WOFF2 (brotli).
  # The browser tests' three engines, each the distribution's own (the
  # drivers pinned in tests/web/package-lock.json never fetch a browser):
  # chromium, firefox-esr, and WebKitGTK's MiniBrowser with its WebDriver;
  # the last two draw WebGL on Mesa's software renderer under Xvfb.
  emscripten python3-fonttools python3-brotli chromium firefox-esr webkit2gtk-driver
  libgl1-mesa-dri libegl-mesa0
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Node.js and npm run the browser tests' driver. A machine that has them
# already (perhaps not from Debian, whose npm would then conflict) keeps them.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
