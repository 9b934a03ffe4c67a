#!/usr/bin/env bash
# Cross-builds the Windows game with mingw-w64:
#   build-windows/x86/pokomaru-jigsaw.exe  the 32-bit executable players get
#   build-windows/x64/pokomaru-jigsaw.exe  its 64-bit twin, which the tests
#                                          run under 64-bit Wine
# Usage: scripts/build-windows.sh [x86|x64 ...] [-- extra cmake --build args]
# With no architecture both are built. The x64 build also makes the
# cross-built unit tests (they run under the host's 64-bit Wine);
# POKOMARU_WINDOWS_TESTS=OFF leaves them out. The x86 build makes them too
# where this kernel runs 32-bit code (they run under 32-bit Wine in the i386
# root of scripts/i386-wine-root.sh); POKOMARU_WINDOWS_X86_TESTS=ON or OFF
# decides instead of the kernel.
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

for arch in "${arches[@]}"; do
    case "$arch" in
        x86)
            toolchain=cmake/toolchain-mingw-i686.cmake
            tests=${POKOMARU_WINDOWS_X86_TESTS:-}
            if [ -z "$tests" ]; then
                tests=OFF
                scripts/i386-wine-root.sh probe >/dev/null && tests=${POKOMARU_WINDOWS_TESTS:-ON}
            fi
            ;;
        x64) toolchain=cmake/toolchain-mingw-x86_64.cmake tests=${POKOMARU_WINDOWS_TESTS:-ON} ;;
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
