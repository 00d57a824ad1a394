# Native build (g++) and the unit tests through CTest.
set -euo pipefail
cmake --preset native
cmake --build --preset native -j"$(nproc)"
ctest --preset native -j"$(nproc)"
