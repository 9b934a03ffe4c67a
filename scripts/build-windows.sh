#!/usr/bin/env bash
# Cross-builds the Windows game with mingw-w64:
#   build-windows/x86/pokomaru-jigsaw.exe  the 32-bit executable players get
#   build-windows/x64/pokomaru-jigsaw.exe  its 64-bit twin, which the tests
#                                          run under 64-bit Wine
# Usage: scripts/build-windows.sh [x86|x64 ...] [-- extra cmake --build args]
# With no architecture both are built. The cross-built unit tests are made
# by the build whose executable the tests run: the x86 build where this
# kernel runs 32-bit code (they run under 32-bit Wine in the i386 root of
# scripts/i386-wine-root.sh), else the x64 twin (under the host's 64-bit
# Wine); the other build makes only the game, which still proves that it
# compiles. POKOMARU_WINDOWS_X86_TESTS=ON or OFF decides instead of the
# kernel; POKOMARU_WINDOWS_TESTS=OFF leaves the tests out of both.
set -euo pipefail
cd "$(dirname "$0")/.."

arches=()
build_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        x86|x64) arches+=("$1") ;;
        --) shift; build_args=("$@"); break ;;
        *) echo "build-windows.sh: unknown argument '$1' (expected x86, x64 or --)" >&2; exit 2 ;;
    esac
    shift
done
[ ${#arches[@]} -eq 0 ] && arches=(x86 x64)

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

x86_runs=${POKOMARU_WINDOWS_X86_TESTS:-}
if [ -z "$x86_runs" ]; then
    x86_runs=OFF
    scripts/i386-wine-root.sh probe >/dev/null && x86_runs=ON
fi
if [ "$x86_runs" = ON ]; then x86_tests=ON x64_tests=OFF; else x86_tests=OFF x64_tests=ON; fi
[ "${POKOMARU_WINDOWS_TESTS:-ON}" = OFF ] && x86_tests=OFF x64_tests=OFF

for arch in "${arches[@]}"; do
    case "$arch" in
        x86) toolchain=cmake/toolchain-mingw-i686.cmake tests=$x86_tests ;;
        x64) toolchain=cmake/toolchain-mingw-x86_64.cmake tests=$x64_tests ;;
    esac
    dir=build-windows/$arch
    if [ ! -f "$dir/CMakeCache.txt" ] || ! grep -qx "POKOMARU_TESTS:BOOL=$tests" "$dir/CMakeCache.txt"; then
        cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
            -DPOKOMARU_TESTS="$tests" >/dev/null
    fi
    echo "== Windows $arch"
    cmake --build "$dir" "${build_args[@]}"
    echo "built $dir/pokomaru-jigsaw.exe"
done
