# The update worker on its own thread while another thread reads the status
# panel's variables, under ThreadSanitizer (clang), then the update tests too.
set -euo pipefail
cmake --preset native-tsan
cmake --build --preset native-tsan -j"$(nproc)" --target update_thread_tests update_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build/native-tsan/tests/update/update_thread_tests
build/native-tsan/tests/update/update_tests
