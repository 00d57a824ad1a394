#!/usr/bin/env bash
# A build whose built-in image is a COM model's: RU7 (128-byte blocks, no
# reconnect prompt) with a generated 64 KiB image. Used by the pty tests of
# step 55 and by scripts/bench-link.
#   com_model_build.sh SOURCE_DIR BUILD_DIR [SOURCE_FOR_CMAKE]
set -euo pipefail
src=$1 build=$2 cmake_src=${3:-$1}
image_dir="$build-image"
image="$image_dir/RU7_v1.00.00_20220613_01.bin"
mkdir -p "$image_dir"
[ -f "$image" ] || python3 "$src/resources/make_standin_image.py" "$image" 65536 0x20220613
cmake -S "$cmake_src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIRMWARE_IMAGE="$image" >/dev/null
cmake --build "$build" -j"$(nproc)" --target plcburn plcsim
