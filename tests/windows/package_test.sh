#!/usr/bin/env bash
# The players' zip: made by scripts/package-windows.sh from the 32-bit build
# into a scratch folder, it holds exactly the executable, the game's data
# (no record file), and the two read-mes, the Japanese one in code page 932.
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "package_test.sh: $*" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pokomaru-package-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
POKOMARU_DIST_DIR="$scratch/dist" scripts/package-windows.sh --no-build >"$scratch/log" 2>&1 ||
    { cat "$scratch/log" >&2; fail "scripts/package-windows.sh failed"; }
zip_file="$scratch/dist/pokomaru-jigsaw-windows.zip"
[ -f "$zip_file" ] || fail "no zip made"

expected="pokomaru-jigsaw/
pokomaru-jigsaw/README-en.txt
pokomaru-jigsaw/README-ja.txt
pokomaru-jigsaw/game/
pokomaru-jigsaw/game/bitmap.png
pokomaru-jigsaw/game/wave00.wav
pokomaru-jigsaw/game/wave01.wav
pokomaru-jigsaw/game/wave02.wav
pokomaru-jigsaw/game/wave03.wav
pokomaru-jigsaw/game/wave04.wav
pokomaru-jigsaw/pokomaru-jigsaw.exe"
actual=$(unzip -Z1 "$zip_file" | sort)
[ "$actual" = "$expected" ] || fail "the zip holds:
$actual
expected:
$expected"

mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && unzip -q "$zip_file")
root="$scratch/unpacked/pokomaru-jigsaw"
cmp -s "$root/pokomaru-jigsaw.exe" build-windows/x86/pokomaru-jigsaw.exe || fail "the executable is not the 32-bit build"
for f in bitmap.png wave00.wav wave01.wav wave02.wav wave03.wav wave04.wav; do
    cmp -s "$root/game/$f" "game/$f" || fail "game/$f differs from the repository's"
done
ja=$(iconv -f CP932 -t UTF-8 "$root/README-ja.txt") || fail "README-ja.txt is not code page 932"
grep -q 'data_save.dat' <<<"$ja" || fail "README-ja.txt does not say where the best times live"
grep -q 'ダブルクリック' <<<"$ja" || fail "README-ja.txt does not say how to start the game"
grep -q $'\r$' "$root/README-en.txt" || fail "README-en.txt lacks Windows line ends"
grep -q 'data_save.dat' "$root/README-en.txt" || fail "README-en.txt does not say where the best times live"
echo "ok: $(unzip -Z1 "$zip_file" | wc -l) entries"
