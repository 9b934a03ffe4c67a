#!/usr/bin/env bash
# Builds the browser game with emscripten and puts the static site together:
#   dist/web/                     index.html and every file it needs; put the
#                                 folder on any static web host
#   dist/pokomaru-jigsaw-web.zip  the same folder, zipped
# The Japanese faces are cut to the characters the game's texts use, from
# the installed IPA (and, for the bold title, Noto Serif CJK) fonts, with
# their licences beside them. Nothing is downloaded.
# Usage: scripts/build-web.sh [build-dir]   (default build-web)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-web}
dist=$root/dist
site=$dist/web
page=$root/src/platform/web/page
python=/usr/bin/python3  # Debian's, which has fontTools and brotli

# emscripten links with Debian's node modules (acorn) and its own cache.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
    emcmake cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DPOKOMARU_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target pokomaru-jigsaw

rm -rf "$site"
mkdir -p "$site/fonts" "$site/icons"
cp "$build/pokomaru-jigsaw.js" "$build/pokomaru-jigsaw.wasm" "$build/pokomaru-jigsaw.data" "$site/"
cp "$page/index.html" "$page/page.js" "$page/fit.js" "$page/page.css" "$page/manifest.webmanifest" "$site/"

# --- Fonts: every character of the game's texts, and printable ASCII -------
characters=$build/web-characters.txt
fixed_characters=$build/web-fixed-characters.txt
write_characters() {  # out-file source-file...
    "$python" - "$@" <<'EOF'
import sys
out, sources = sys.argv[1], sys.argv[2:]
chars = {chr(c) for c in range(0x20, 0x7F)}
# The texts as the game shows them; the generator adds units and words of
# its own (人, Km2, 境界未定) in its string constants.
for path in sources:
    with open(path, encoding='utf-8') as f:
        for line in f:
            if path.endswith('ui_texts.tsv') and line.startswith('#'):
                continue
            chars.update(line)
# Both readings of code page 932's 0x8160 (a wave dash or a full-width
# tilde), whichever the decoder picks, and the replacement character.
chars.update('\u301c\uff5e\ufffd\u3000')
chars = sorted(c for c in chars if c not in '\t\r\n')
with open(out, 'w', encoding='utf-8') as f:
    f.write(''.join(chars))
EOF
}
write_characters "$characters" content/municipalities.tsv content/mascots.tsv content/ui_texts.tsv \
    tools/catalogue/catalogue_gen.cpp
# The bold serif face draws only the title: the fixed texts are enough.
write_characters "$fixed_characters" content/ui_texts.tsv

subset() {  # font-file out-name [font-number [character-file]]
    "$python" -m fontTools.subset "$1" --text-file="${4:-$characters}" --flavor=woff2 \
        --output-file="$site/fonts/$2" --layout-features='*' --no-hinting --desubroutinize \
        ${3:+--font-number=$3}
}
subset /usr/share/fonts/opentype/ipafont-mincho/ipam.ttf ipam.woff2
subset /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf ipag.woff2
subset /usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf ipaexg.woff2
cp /usr/share/doc/fonts-ipafont-gothic/copyright "$site/fonts/LICENSE-IPAfont.txt"
cp /usr/share/doc/fonts-ipaexfont-gothic/copyright "$site/fonts/LICENSE-IPAexfont.txt"
noto=/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc
if [ -f "$noto" ]; then
    # Face 0 of the collection is the Japanese one.
    subset "$noto" noto-serif-bold.woff2 0 "$fixed_characters"
    cp /usr/share/doc/fonts-noto-cjk/copyright "$site/fonts/LICENSE-NotoCJK.txt"
fi

# --- Icons: the game's own, in the sizes home screens and shelves ask for ---
for size in 16 32 48 64 128 256; do
    cp "packaging/icons/pokomaru-jigsaw-$size.png" "$site/icons/icon-$size.png"
done
/usr/bin/convert "packaging/icons/pokomaru-jigsaw-256.png" -filter Lanczos -resize 192x192 "$site/icons/icon-192.png"
# A home screen's icon is opaque and square (the system rounds its
# corners): the icon's corners take its own pale ground.
for size in 152 167 180; do
    /usr/bin/convert "packaging/icons/pokomaru-jigsaw-256.png" -background '#eef3ef' -alpha remove -alpha off \
        -filter Lanczos -resize ${size}x${size} "$site/icons/apple-touch-icon-$size.png"
done
/usr/bin/convert "packaging/icons/pokomaru-jigsaw-256.png" -filter Point -resize 512x512 "$site/icons/icon-512.png"

# --- The service worker, with the list of the site's files and its version --
(
    cd "$site"
    files=$(find . -type f ! -name sw.js | sed 's|^\./||' | sort)
    version=$(cat $files | sha256sum | cut -c1-16)
    list=$(printf '%s\n' ./ $files | "$python" -c 'import json,sys; print(json.dumps([l.strip() for l in sys.stdin if l.strip()]))')
    sed -e "s|@VERSION@|$version|" -e "s|@FILES@|$list|" "$page/sw.js" > sw.js
)

rm -f "$dist/pokomaru-jigsaw-web.zip"
(cd "$site" && zip -qr -X "$dist/pokomaru-jigsaw-web.zip" .)
echo "site: $site ($(du -sh "$site" | cut -f1)), zip: $dist/pokomaru-jigsaw-web.zip"
