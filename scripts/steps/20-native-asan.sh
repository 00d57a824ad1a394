# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cmake --preset native-asan
cmake --build --preset native-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-asan -j"$(nproc)"
