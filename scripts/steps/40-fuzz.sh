# libFuzzer on the reply decoders and on every command that judges replies,
# under AddressSanitizer and UndefinedBehaviorSanitizer: 60 s in all. Any crash,
# sanitizer report or broken invariant fails the step.
set -euo pipefail
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)" --target fuzz_check_lrc fuzz_replies
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for run in "fuzz_check_lrc 20" "fuzz_replies 40"; do
  read -r fuzzer seconds <<<"$run"
  corpus=build/fuzz/corpus/$fuzzer
  mkdir -p "$corpus"
  log=build/fuzz/$fuzzer.log
  echo "--- $fuzzer for $seconds s"
  if ! "build/fuzz/tests/fuzz/$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    cat "$log"
    echo "$fuzzer failed"
    exit 1
  fi
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units)' "$log" || true
done
