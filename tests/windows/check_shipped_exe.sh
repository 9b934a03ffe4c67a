#!/usr/bin/env bash
# The shipped Windows executable cannot run on this machine (it is 32-bit),
# so it is checked as a file: a 32-bit x86 GUI program whose imports are
# Direct3D 9, DirectInput 8, COM and other DLLs every Windows has, and
# nothing else (no SDL, no compiler runtime DLLs), with the game's icon.
# Usage: tests/windows/check_shipped_exe.sh build-windows/x86/pokomaru-jigsaw.exe
set -euo pipefail
exe=${1:?usage: check_shipped_exe.sh EXE}
fail() { echo "check_shipped_exe.sh: $exe: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "missing: build it with scripts/build-windows.sh x86"

kind=$(file -b "$exe")
echo "file: $kind"
case "$kind" in
    *"PE32 executable"*"Intel 80386"*) ;;
    *) fail "not a 32-bit x86 PE executable" ;;
esac
case "$kind" in *"(GUI)"*) ;; *) fail "not a GUI (windows subsystem) program" ;; esac

headers=$(i686-w64-mingw32-objdump -p "$exe")
mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
echo "imports: ${dlls[*]}"
[ ${#dlls[@]} -gt 0 ] || fail "no import table found"

# Present on every Windows the game supports.
system_dlls=(kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll d3d9.dll dinput8.dll
    winmm.dll imm32.dll usp10.dll windowscodecs.dll msvcrt.dll comdlg32.dll version.dll)
for needed in d3d9.dll dinput8.dll ole32.dll; do
    printf '%s\n' "${dlls[@]}" | grep -qx "$needed" || fail "does not import $needed"
done
for dll in "${dlls[@]}"; do
    case "$dll" in *sdl*) fail "imports $dll: the Windows build must not use SDL" ;; esac
    printf '%s\n' "${system_dlls[@]}" | grep -qx "$dll" ||
        fail "imports $dll, which is not a system DLL (link it statically)"
done

# Icon resource 101 (the window class's icon) with its two images.
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null) || fail "its resources cannot be read"
grep -Eq '^101 14 ' <<<"$resources" || fail "has no icon resource 101"
images=$(grep -Ec '^[0-9]+ 3 ' <<<"$resources" || true)
[ "$images" -ge 2 ] || fail "its icon holds $images image(s), expected the 32 x 32 and the 16 x 16"
echo "ok: $exe"
