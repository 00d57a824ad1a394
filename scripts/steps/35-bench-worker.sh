# The whole stand-in KQ200 update in process on the virtual clock: prints the
# tool's own time per block (tool_us_per_block) beside the simulated PLC's.
# A figure to read, not a pass/fail test.
set -euo pipefail
cmake --preset native
cmake --build --preset native -j"$(nproc)" --target whole_update_benchmark
build/native/tests/update/whole_update_benchmark --benchmark_counters_tabular=true
