#!/usr/bin/env bash
# Builds the Windows program on Debian: installs what it needs (as root,
# or names it), cross-builds with mingw-w64 into build-windows/ and makes
# the installer.
#
#   scripts/build_windows.sh [BUILD_DIR]
#
# Produces BUILD_DIR/tessarine.exe, which runs alone (no DLL beside it),
# and BUILD_DIR/tessarine-setup.exe, the installer.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
ensure_packages "${WINDOWS_PACKAGES[@]}"
build=${1:-build-windows}
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    ${TESSARINE_WINDOWS_CMAKE_FLAGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)" --target tessarine tessarine-window installer
# Only Windows' own DLLs: the C++ runtime, winpthreads and zlib are inside.
for program in tessarine tessarine-window; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$build/$program.exe" | sed -n 's/.*DLL Name: //p' | tr '\n' ' ')
    for dll in $dlls; do
        case "${dll,,}" in
            kernel32.dll | user32.dll | gdi32.dll | dwmapi.dll | msvcrt.dll | ole32.dll | \
                oleaut32.dll | windowscodecs.dll | comctl32.dll | comdlg32.dll | shell32.dll | \
                advapi32.dll | version.dll | shlwapi.dll | uxtheme.dll) ;;
            *) echo "$program.exe needs $dll, which Windows does not have" >&2; exit 1 ;;
        esac
    done
done
echo "Built $build/tessarine.exe, $build/tessarine-window.exe and the installer $build/tessarine-setup.exe"
