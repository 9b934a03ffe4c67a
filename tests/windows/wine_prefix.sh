#!/usr/bin/env bash
# Makes the private Wine world the Windows tests run the game in:
#   DIR/prefix     a fresh Wine prefix (no Mono or Gecko prompts) in
#                  which the three ＭＳ faces and their ASCII names are the IPA
#                  fonts, and the UI faces fall back on IPAGothic for Japanese,
#                  as a Japanese Windows would have them
#                  The window frame is 9 pixels wide and the caption 26
#                  high, as on the Windows the game's window constants assume
#                  (a 1042 x 812 window has a 1024 x 768 client area)
#   DIR/asound.conf  ALSA whose default device is a null device, so the
#                  sound set-up finds a device on a machine without any
#   DIR/env.sh     the environment for Wine, for the tests to source
# By default the prefix is 64-bit, for the host's Wine and the 64-bit twin.
# With --i386 it is 32-bit, for the shipped executable, and Wine is the
# 32-bit Wine of the i386 root (scripts/i386-wine-root.sh, made first if
# need be): DIR/bin then holds the wine, wineserver, wineboot and winepath
# that run it there, and env.sh puts them first on PATH. The root sees the
# repository, DIR, /tmp and the folders in POKOMARU_I386_BINDS at their own
# paths.
# Usage: tests/windows/wine_prefix.sh DIR [--i386]   (DIR is emptied first)
set -euo pipefail

usage="usage: wine_prefix.sh DIR [--i386]"
dir=${1:?$usage}
i386=0
case "${2:-}" in
    "") ;;
    --i386) i386=1 ;;
    *) echo "$usage" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
if [ $i386 -eq 0 ]; then
    command -v wine >/dev/null || { echo "wine_prefix.sh: wine is not installed (scripts/install-deps.sh)" >&2; exit 1; }
else
    "$repo/scripts/i386-wine-root.sh" ensure ||
        { echo "wine_prefix.sh: no i386 root for 32-bit Wine (scripts/i386-wine-root.sh ensure)" >&2; exit 1; }
fi

rm -rf "$dir"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

cat >"$dir/asound.conf" <<'ALSA'
pcm.!default { type null }
ALSA

arch=win64
if [ $i386 -eq 1 ]; then
    arch=win32
    mkdir -p "$dir/bin"
    for tool in wine wineserver wineboot winepath; do
        printf '#!/bin/sh\n# %s of the i386 root'"'"'s 32-bit Wine.\nexec "%s" run %s "$@"\n' \
            "$tool" "$repo/scripts/i386-wine-root.sh" "$tool" >"$dir/bin/$tool"
        chmod +x "$dir/bin/$tool"
    done
fi
cat >"$dir/env.sh" <<ENV
export WINEPREFIX='$dir/prefix'
export WINEARCH=$arch
ENV
if [ $i386 -eq 1 ]; then
    cat >>"$dir/env.sh" <<ENV
export PATH='$dir/bin':"\$PATH"
export POKOMARU_I386_BINDS='$repo:$dir${POKOMARU_I386_BINDS:+:$POKOMARU_I386_BINDS}'
ENV
fi
cat >>"$dir/env.sh" <<ENV
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export ALSA_CONFIG_PATH='$dir/asound.conf'
# Mesa's software renderer draws in the calling thread: on a busy machine
# with two cores, handing each frame to worker threads costs more than it
# saves.
export LP_NUM_THREADS=0
ENV
# shellcheck source=/dev/null
. "$dir/env.sh"

# A display is not needed to make the prefix; leave any from the caller out.
unset DISPLAY WAYLAND_DISPLAY

started=$SECONDS
wineboot -i >"$dir/wineboot.log" 2>&1 || { cat "$dir/wineboot.log" >&2; echo "wine_prefix.sh: wineboot failed" >&2; exit 1; }
wineserver -w

# The registry file is UTF-16 with a byte-order mark, so the Japanese face
# names reach the registry intact whatever the locale of this shell.
iconv -f UTF-8 -t UTF-16 "$here/fonts_and_sound.reg" >"$dir/fonts_and_sound.reg"
wine regedit /S "$(winepath -w "$dir/fonts_and_sound.reg" 2>/dev/null)" >>"$dir/wineboot.log" 2>&1 ||
    { echo "wine_prefix.sh: regedit failed" >&2; exit 1; }
# Wine's dialogs and message boxes draw in its Tahoma, which has no
# Japanese glyphs; a Japanese Windows links its UI faces to a Japanese one.
# Link them to IPAGothic, or a message box shows empty boxes for kana/kanji.
for ui_face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$ui_face" /t REG_MULTI_SZ /d "ipag.ttf,IPAGothic" /f >>"$dir/wineboot.log" 2>&1 ||
        { echo "wine_prefix.sh: linking $ui_face to IPAGothic failed" >&2; exit 1; }
done
wineserver -w

# Wine writes the registry out as text, non-ASCII as \xNNNN escapes: the
# mapping of ＭＳ 明朝 (U+FF2D U+FF33 U+0020 U+660E U+671D) must be there.
grep -q '"\\xff2d\\xff33 \\x660e\\x671d"="IPAMincho"' "$WINEPREFIX/system.reg" ||
    { echo "wine_prefix.sh: the font substitutes did not reach the registry" >&2; exit 1; }
grep -q '"Tahoma"=str(7):"ipag.ttf,IPAGothic' "$WINEPREFIX/system.reg" ||
    { echo "wine_prefix.sh: the UI font link did not reach the registry" >&2; exit 1; }
echo "Wine prefix ready in $((SECONDS - started)) s: $WINEPREFIX"
