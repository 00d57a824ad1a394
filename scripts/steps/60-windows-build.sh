#!/usr/bin/env bash
# The Windows builds. win32: the release PlcBurn.exe, checked to be a 32-bit
# GUI program that imports only Windows system DLLs (the MinGW runtime linked
# in). win64: the same sources with the unit tests and the Win32 link test,
# run under wine64 in a private prefix.
# PLCBURN_WIN32_DIR / PLCBURN_WIN64_DIR choose other build directories,
# PLCBURN_JOBS the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/../.."
win32_dir=${PLCBURN_WIN32_DIR:-build/win32}
win64_dir=${PLCBURN_WIN64_DIR:-build/win64}
jobs=${PLCBURN_JOBS:-$(nproc)}

cmake --preset win32 -B "$win32_dir"
cmake --build "$win32_dir" -j"$jobs"

if [ ! -d ui ]; then
  echo "ui/ is not in the tree: no PlcBurn.exe to check"
else
  exe="$win32_dir/ui/PlcBurn.exe"
  [ -f "$exe" ] || { echo "FAIL: $exe was not built"; exit 1; }
  headers=$(i686-w64-mingw32-objdump -p "$exe")
  fail() { echo "FAIL: $exe: $*"; exit 1; }
  grep -q 'file format pei-i386' <<<"$headers" || fail "not a pei-i386 image"
  grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not PE32"
  grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
    fail "not the Windows GUI subsystem"
  dlls=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u)
  [ -n "$dlls" ] || fail "no imports found"
  # Windows' own DLLs only; MinGW's libstdc++, libgcc and winpthread must be linked in.
  system_dll='^(kernel32|user32|gdi32|comdlg32|setupapi|advapi32|msvcrt|comctl32|shell32|ole32|oleaut32|ws2_32|api-ms-win-.*)\.dll$'
  for dll in $dlls; do
    tr '[:upper:]' '[:lower:]' <<<"$dll" | grep -Eq "$system_dll" || fail "imports $dll"
  done
  echo "$exe: PE32 (pei-i386), Windows GUI, imports: $(tr '\n' ' ' <<<"$dlls")"

  # The resources, one "type id size" line each (decimal sizes): type 3 is an
  # icon image, 14 the icon group, 2 a bitmap.
  resources=$(awk '
    /^The .rsrc Resource Directory section/ { on = 1; next }
    on && /^$/ { on = 0 }
    on && match($0, /^[0-9a-f]+ +/) {
      field = $0; sub(/^[0-9a-f]+ +/, "", field); split(field, f, /[ ,]+/)
      if (RLENGTH == 6) type = (f[2] == "name:") ? f[7] : f[3]
      else if (RLENGTH == 8) id = f[3]
      else if (f[1] == "Leaf:") print type, id, f[5]
    }' <<<"$headers" | while read -r type id size; do
      case $type in 0x*) type=$((type)) ;; esac
      printf '%s %d %d\n' "$type" "$id" "$size"
    done)
  has_resource() { grep -Eq "^$1 $2 $3\$" <<<"$resources" || fail "no resource $1 $2 of size $3"; }
  has_resource 3 1 51240      # icon 1: one 128x128 24-bit image and its mask
  has_resource 14 1 20        # its group: one entry
  has_resource 2 12 463072    # bitmap 12: 708x218, 24 bits
  has_resource BIN 8 '[1-9][0-9]*'
  echo "$exe: resources (type id size): $(tr '\n' ';' <<<"$resources")"
fi

cmake --preset win64 -B "$win64_dir"
cmake --build "$win64_dir" -j"$jobs"
export WINEDEBUG=-all
ctest --test-dir "$win64_dir" --output-on-failure -j"$jobs"
