#!/usr/bin/env bash
# Makes dist/pokomaru-jigsaw-windows.zip for players from the 32-bit build:
#   pokomaru-jigsaw/pokomaru-jigsaw.exe
#   pokomaru-jigsaw/game/bitmap.png, wave00.wav .. wave04.wav
#   pokomaru-jigsaw/README-ja.txt (code page 932), README-en.txt
# No data_save.dat: the game makes it on the first record. The executable is
# built first (scripts/build-windows.sh x86) unless --no-build is given.
# POKOMARU_DIST_DIR puts the zip somewhere else than dist/.
set -euo pipefail
cd "$(dirname "$0")/.."

build=1
for arg in "$@"; do
    case "$arg" in
        --no-build) build=0 ;;
        *) echo "package-windows.sh: unknown argument '$arg' (expected --no-build)" >&2; exit 2 ;;
    esac
done

exe=build-windows/x86/pokomaru-jigsaw.exe
if [ $build -eq 1 ]; then
    scripts/build-windows.sh x86 -- --target pokomaru-jigsaw
fi
[ -f "$exe" ] || { echo "package-windows.sh: $exe is missing (scripts/build-windows.sh x86)" >&2; exit 1; }

dist=${POKOMARU_DIST_DIR:-dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
zip_file="$dist/pokomaru-jigsaw-windows.zip"
stage=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT

root="$stage/pokomaru-jigsaw"
mkdir -p "$root/game"
cp "$exe" "$root/"
for f in bitmap.png wave00.wav wave01.wav wave02.wav wave03.wav wave04.wav; do
    [ -f "game/$f" ] || { echo "package-windows.sh: game/$f is missing" >&2; exit 1; }
    cp "game/$f" "$root/game/"
done
# Windows line ends; the Japanese read-me in the code page a Japanese
# Windows opens plain text in.
sed 's/$/\r/' packaging/windows/README-en.txt >"$root/README-en.txt"
sed 's/$/\r/' packaging/windows/README-ja.txt | iconv -f UTF-8 -t CP932 >"$root/README-ja.txt"

rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" pokomaru-jigsaw)
echo "made $zip_file ($(du -k "$zip_file" | cut -f1) KiB):"
unzip -l "$zip_file" | sed -n '4,$p' | head -n -2
