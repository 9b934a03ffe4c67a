#!/usr/bin/env bash
# The shipped Windows executable as a file: a 32-bit x86 GUI program that
# Windows 7 SP1 and every later Windows can start. Every function it imports
# must come from the DLL that documents it and exist since Windows 7 at the
# latest (the table below); no SDL, no compiler runtime DLLs; the game's icon;
# and the application manifest, resource 1 of type 24, well-formed, asking
# for no elevation, naming Windows 7 to 10/11 and keeping the window
# DPI-unaware.
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

# Every function the game (with its statically linked C++ runtime) may
# import: DLL, function, the first Windows that has it there. "2000" stands
# for Windows 2000 or older. msvcrt.dll is the system's C runtime, which
# every Windows since 2000 carries with these functions. A new import needs
# its row here, read from the function's own documentation.
imports_table() {
    cat <<'TABLE'
d3d9.dll Direct3DCreate9 XP
dinput8.dll DirectInput8Create XP
gdi32.dll CreateCompatibleDC 2000
gdi32.dll CreateFontW 2000
gdi32.dll CreateFontIndirectW 2000
gdi32.dll DeleteDC 2000
gdi32.dll DeleteObject 2000
gdi32.dll GetGlyphOutlineW 2000
gdi32.dll GetOutlineTextMetricsW 2000
gdi32.dll GetTextFaceW 2000
gdi32.dll GetTextMetricsW 2000
gdi32.dll SelectObject 2000
imm32.dll ImmDisableIME 2000
ole32.dll CoCreateInstance 2000
ole32.dll CoInitialize 2000
ole32.dll CoInitializeEx 2000
ole32.dll CoUninitialize 2000
ole32.dll CoTaskMemFree 2000
oleaut32.dll SysAllocString 2000
oleaut32.dll SysFreeString 2000
usp10.dll ScriptFreeCache 2000
usp10.dll ScriptItemize 2000
usp10.dll ScriptPlace 2000
usp10.dll ScriptShape 2000
usp10.dll ScriptGetFontProperties 2000
user32.dll AdjustWindowRect 2000
user32.dll AdjustWindowRectEx 2000
user32.dll CreateWindowExW 2000
user32.dll DefWindowProcW 2000
user32.dll DestroyWindow 2000
user32.dll DispatchMessageW 2000
user32.dll GetClientRect 2000
user32.dll GetMessageExtraInfo 2000
user32.dll GetSystemMetrics 2000
user32.dll GetWindowRect 2000
user32.dll LoadCursorA 2000
user32.dll LoadCursorW 2000
user32.dll LoadIconA 2000
user32.dll LoadIconW 2000
user32.dll LoadImageA 2000
user32.dll LoadImageW 2000
user32.dll MessageBoxW 2000
user32.dll PeekMessageW 2000
user32.dll PostQuitMessage 2000
user32.dll RegisterClassExW 2000
user32.dll ShowWindow 2000
user32.dll TranslateMessage 2000
user32.dll UnregisterClassW 2000
user32.dll UpdateWindow 2000
kernel32.dll AddVectoredExceptionHandler XP
kernel32.dll RemoveVectoredExceptionHandler XP
kernel32.dll CloseHandle 2000
kernel32.dll CreateEventA 2000
kernel32.dll CreateFileA 2000
kernel32.dll CreateFileW 2000
kernel32.dll CreateSemaphoreA 2000
kernel32.dll DeleteCriticalSection 2000
kernel32.dll DeleteFileA 2000
kernel32.dll DeleteFileW 2000
kernel32.dll DuplicateHandle 2000
kernel32.dll EnterCriticalSection 2000
kernel32.dll FlushFileBuffers 2000
kernel32.dll FreeLibrary 2000
kernel32.dll GetCurrentDirectoryA 2000
kernel32.dll GetCurrentProcess 2000
kernel32.dll GetCurrentProcessId 2000
kernel32.dll GetCurrentThread 2000
kernel32.dll GetCurrentThreadId 2000
kernel32.dll GetEnvironmentVariableW 2000
kernel32.dll GetFileAttributesA 2000
kernel32.dll GetFileAttributesW 2000
kernel32.dll GetHandleInformation 2000
kernel32.dll GetLastError 2000
kernel32.dll GetModuleHandleA 2000
kernel32.dll GetModuleHandleW 2000
kernel32.dll GetProcAddress 2000
kernel32.dll GetProcessAffinityMask 2000
kernel32.dll GetStartupInfoA 2000
kernel32.dll GetSystemTimeAsFileTime 2000
kernel32.dll GetThreadContext 2000
kernel32.dll GetThreadPriority 2000
kernel32.dll GetTickCount 2000
kernel32.dll GetTickCount64 Vista
kernel32.dll InitializeCriticalSection 2000
kernel32.dll IsDBCSLeadByteEx 2000
kernel32.dll IsDebuggerPresent 2000
kernel32.dll LeaveCriticalSection 2000
kernel32.dll LoadLibraryA 2000
kernel32.dll LoadLibraryW 2000
kernel32.dll MoveFileExA 2000
kernel32.dll MoveFileExW 2000
kernel32.dll MultiByteToWideChar 2000
kernel32.dll OpenProcess 2000
kernel32.dll OutputDebugStringA 2000
kernel32.dll RaiseException 2000
kernel32.dll ReadFile 2000
kernel32.dll ReleaseSemaphore 2000
kernel32.dll ReplaceFileA 2000
kernel32.dll ReplaceFileW 2000
kernel32.dll ResetEvent 2000
kernel32.dll ResumeThread 2000
kernel32.dll SetEvent 2000
kernel32.dll SetLastError 2000
kernel32.dll SetProcessAffinityMask 2000
kernel32.dll SetThreadContext 2000
kernel32.dll SetThreadPriority 2000
kernel32.dll SetUnhandledExceptionFilter 2000
kernel32.dll Sleep 2000
kernel32.dll SuspendThread 2000
kernel32.dll TlsAlloc 2000
kernel32.dll TlsFree 2000
kernel32.dll TlsGetValue 2000
kernel32.dll TlsSetValue 2000
kernel32.dll TryEnterCriticalSection 2000
kernel32.dll VirtualProtect 2000
kernel32.dll VirtualQuery 2000
kernel32.dll WaitForMultipleObjects 2000
kernel32.dll WaitForSingleObject 2000
kernel32.dll WideCharToMultiByte 2000
kernel32.dll WriteFile 2000
TABLE
    local f
    for f in __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type \
        __setusermatherr _amsg_exit _beginthreadex _cexit _close _commit _endthreadex _errno _fdopen _fileno _fstat64 \
        _initterm _iob _lock _onexit _open_osfhandle _read _setjmp3 _strdup _ultoa _unlock _write _lseeki64 abort atoi calloc \
        exit fclose ferror fflush fgetc fopen fprintf fputc fputs fread free fseek ftell fwrite localeconv \
        longjmp malloc memchr memcmp memcpy memmove memset printf rand realloc remove rename setlocale signal \
        srand strchr strcmp strerror strlen strncmp strtol time vfprintf wcslen; do
        echo "msvcrt.dll $f 2000"
    done
}

floor=7

headers=$(i686-w64-mingw32-objdump -p "$exe")
# One "dll function" line per imported function.
imports=$(awk '/DLL Name:/ { dll = tolower($3); next }
               dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }
               /^$/ { }' <<<"$headers" | sort -u)
mapfile -t dlls < <(awk '{ print $1 }' <<<"$imports" | sort -u)
echo "imports: ${#dlls[@]} DLLs, $(wc -l <<<"$imports") functions: ${dlls[*]}"
[ ${#dlls[@]} -gt 0 ] || fail "no import table found"
for needed in d3d9.dll dinput8.dll ole32.dll usp10.dll; do
    printf '%s\n' "${dlls[@]}" | grep -qx "$needed" || fail "does not import $needed"
done
for dll in "${dlls[@]}"; do
    case "$dll" in *sdl*) fail "imports $dll: the Windows build must not use SDL" ;; esac
done

# One pass: each import against its row of the table.
mapfile -t problems < <(awk -v floor=$floor '
    function rank(v) { return v == "2000" ? 1 : v == "XP" ? 2 : v == "Vista" ? 3 : v == "7" ? 4 : v == "8" ? 5 : v == "8.1" ? 6 : v == "10" ? 7 : 99 }
    FNR == NR { if (!($2 in dll_of)) { dll_of[$2] = $1; since[$2] = $3 }; next }
    !($2 in dll_of) { print $2 " from " $1 " is not in the table of known imports"; next }
    $1 != dll_of[$2] { print $2 " is imported from " $1 ", but " dll_of[$2] " is the DLL that has it on every Windows (link order?)"; next }
    rank(since[$2]) > rank(floor) { print $2 " (" $1 ") first came with Windows " since[$2] ", after Windows " floor }
' <(imports_table) <(printf '%s\n' "$imports"))
if [ ${#problems[@]} -gt 0 ]; then
    printf 'check_shipped_exe.sh: %s\n' "${problems[@]}" >&2
    fail "${#problems[@]} import(s) would keep it from starting on Windows $floor"
fi
echo "imports: every one is in the table, from its own DLL, on Windows $floor or earlier"

# Icon resource 101 (the window class's icon) with its two images.
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null) || fail "its resources cannot be read"
grep -Eq '^101 14 ' <<<"$resources" || fail "has no icon resource 101"
images=$(grep -Ec '^[0-9]+ 3 ' <<<"$resources" || true)
[ "$images" -ge 2 ] || fail "its icon holds $images image(s), expected the 32 x 32 and the 16 x 16"

# The manifest: resource 1 of type 24, as windres writes it back out (C
# strings with doubled quotes).
command -v xmllint >/dev/null || fail "xmllint is missing (scripts/install-deps.sh installs libxml2-utils)"
manifest=$(awk '/^1 24 / { inside = 1; next }
                inside && /^END/ { exit }
                inside && /^  "/ { sub(/^  "/, ""); sub(/"$/, ""); gsub(/""/, "\""); gsub(/\\n/, "\n")
                                   gsub(/\\t/, "\t"); gsub(/\\r/, ""); printf "%s", $0 }' <<<"$resources")
[ -n "$manifest" ] || fail "has no application manifest (resource 1 of type 24)"
xmllint --noout - <<<"$manifest" 2>&1 || fail "its manifest is not well-formed XML"
xpath() { xmllint --xpath "$1" - <<<"$manifest" 2>/dev/null || true; }
[ "$(xpath 'string(//*[local-name()="requestedExecutionLevel"]/@level)')" = asInvoker ] ||
    fail "its manifest does not ask to run asInvoker"
for os in 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 \
    1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    [ "$(xpath "count(//*[local-name()='supportedOS'][translate(@Id, 'ABCDEF', 'abcdef')='{$os}'])")" = 1 ] ||
        fail "its manifest does not name the Windows of supportedOS {$os}"
done
# DPI-unaware: no per-monitor or system awareness anywhere in it.
[ "$(xpath 'normalize-space(//*[local-name()="dpiAware"])')" = false ] ||
    fail "its manifest does not keep the window DPI-unaware (dpiAware false)"
[ "$(xpath 'count(//*[local-name()="dpiAwareness"])')" = 0 ] || fail "its manifest sets a dpiAwareness"
echo "manifest: well-formed, asInvoker, Windows 7 to 10/11, DPI-unaware"
echo "ok: $exe"
