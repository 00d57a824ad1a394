#!/usr/bin/env bash
# The Windows program under wine64 on a private X server: the panel, port-list
# and operator tests with a display, then PlcBurn.exe driven by key presses and
# the UI-automation helper: the KQ200 build, and RU7 and PM7-D-V2 builds against
# plcsim on COM5. Screenshots land in build/wine-ui/.
# PLCBURN_NATIVE_DIR / PLCBURN_WIN64_DIR / PLCBURN_WINE_UI_DIR choose other
# build directories, PLCBURN_JOBS the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${PLCBURN_JOBS:-$(nproc)}
native_dir=${PLCBURN_NATIVE_DIR:-build/native}
win64_dir=${PLCBURN_WIN64_DIR:-build/win64}
work=${PLCBURN_WINE_UI_DIR:-build/wine-ui}
mkdir -p "$work/images"
work=$(cd "$work" && pwd)

# plcsim runs natively.
cmake --preset native -B "$native_dir" >/dev/null
cmake --build "$native_dir" -j"$jobs" --target plcsim

# The default build, the helper and the Windows UI tests.
cmake --preset win64 -B "$win64_dir" >/dev/null
cmake --build "$win64_dir" -j"$jobs" --target PlcBurn wine_ui_helper ui_tests

# Small stand-in images for two COM models, each built into its own PlcBurn.exe.
build_with_image() {  # <dir> <image file name> <length>
  local image=$work/images/$2
  python3 resources/make_standin_image.py "$image" "$3" 0x20220613
  cmake -S . -B "$work/$1" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLCBURN_TESTS=OFF -DFIRMWARE_IMAGE="$image" >/dev/null
  cmake --build "$work/$1" -j"$jobs" --target PlcBurn
}
build_with_image ru7 RU7_v1.00.00_20220613_01.bin 196608
build_with_image pm7d PM7-D-V2_v1.00.00_20220613_01.bin 32768

# The tests get a prefix of their own; the program's runs make theirs.
export WINEPREFIX=$work/wineprefix-tests WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
echo "--- ui_tests with a display"
xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" \
  /usr/lib/wine/wine64 "$win64_dir/tests/ui/ui_tests.exe"
/usr/lib/wine/wineserver -w
unset WINEPREFIX

echo "--- PlcBurn.exe"
bash tests/e2e/wine_ui_test.sh \
  --helper "$win64_dir/tests/ui/wine_ui_helper.exe" \
  --plcsim "$native_dir/sim/plcsim" \
  --work "$work" \
  --kq200 "$win64_dir/ui/PlcBurn.exe" \
  --ru7 "$work/ru7/ui/PlcBurn.exe" --ru7-image "$work/images/RU7_v1.00.00_20220613_01.bin" \
  --pm7d "$work/pm7d/ui/PlcBurn.exe" --pm7d-image "$work/images/PM7-D-V2_v1.00.00_20220613_01.bin"
